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
    m_txtProject->setText(project.ProjectName);
    m_txtEngineer->setText(project.EngineerName);
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
}

void HeadingDialog::cmdOK_Click()
{
    m_project.ProjectName = m_txtProject->text();
    m_project.EngineerName = m_txtEngineer->text();
    accept();
}

} // namespace tervan
