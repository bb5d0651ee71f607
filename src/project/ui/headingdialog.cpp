#include "project/ui/headingdialog.h"

#include "project/project.h"
#include "project/ui/dialogparts.h"
#include "project/ui/selectalllineedit.h"

#include <QGridLayout>
#include <QLabel>

namespace tervan {

HeadingDialog::HeadingDialog(Project& project, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_txtProject(new SelectAllLineEdit(this)),
      m_txtEngineer(new SelectAllLineEdit(this))
{
    setObjectName(QStringLiteral("frmHeading"));
    setWindowTitle(QStringLiteral("ส่วนหัว"));
    m_txtProject->setObjectName(QStringLiteral("txtProject"));
    m_txtEngineer->setObjectName(QStringLiteral("txtEngineer"));
    // The boxes show the names without their padding and hold at most 40 characters as the
    // user types or pastes, cut between character clusters.
    for (auto [box, text] : {std::pair{m_txtProject, project.ProjectName.text()},
                             {m_txtEngineer, project.EngineerName.text()}}) {
        QString shown = text;
        while (shown.endsWith(QLatin1Char(' ')))
            shown.chop(1);
        box->setText(shown);
        connect(box, &QLineEdit::textChanged, box,
                [box, previous = shown](const QString& now) mutable {
                    if (now.size() <= FixedText40::length) {
                        previous = now;
                        return;
                    }
                    const QString cut = clusterPrefix(now, FixedText40::length);
                    // Typing at the limit keeps what was there rather than dropping part of it.
                    const QString kept = cut.size() >= previous.size() ? cut : previous;
                    const int cursor = std::min<int>(box->cursorPosition(), kept.size());
                    const QSignalBlocker block(box);
                    box->setText(kept);
                    box->setCursorPosition(cursor);
                    previous = kept;
                });
    }
    // Room for the whole 40-character text.
    const int width = m_txtProject->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('M')));
    m_txtProject->setMinimumWidth(width);
    m_txtEngineer->setMinimumWidth(width);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("ชื่อโครงการ"), this), 0, 0);
    grid->addWidget(m_txtProject, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("วิศวกร"), this), 1, 0);
    grid->addWidget(m_txtEngineer, 1, 1);
    layOutWithButtons(this, grid, [this] { cmdOK_Click(); });
    // Typing right away replaces the project name.
    m_txtProject->setFocus();
    m_txtProject->selectAll();
}

void HeadingDialog::cmdOK_Click()
{
    m_project.ProjectName = m_txtProject->text();
    m_project.EngineerName = m_txtEngineer->text();
    accept();
}

} // namespace tervan
