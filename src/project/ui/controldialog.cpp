#include "project/ui/controldialog.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "project/controldata.h"
#include "project/project.h"
#include "project/ui/dialogparts.h"
#include "project/ui/prompts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tervan {

ControlDialog::ControlDialog(Project& project, Prompts& prompts, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_prompts(prompts),
      m_txtGrid(new QLineEdit(QString::number(project.GridSpacing), this)),
      m_txtRow(new QLineEdit(QString::number(project.GridRows), this)),
      m_txtCol(new QLineEdit(QString::number(project.GridCols), this)),
      m_txtInt(new QLineEdit(generalForm(project.ContourInterval, QLocale()), this))
{
    setObjectName(QStringLiteral("frmControl"));
    setWindowTitle(QStringLiteral("ข้อมูลควบคุม"));
    m_txtGrid->setObjectName(QStringLiteral("txtGrid"));
    m_txtRow->setObjectName(QStringLiteral("txtRow"));
    m_txtCol->setObjectName(QStringLiteral("txtCol"));
    m_txtInt->setObjectName(QStringLiteral("txtInt"));

    const QString metres = QStringLiteral("เมตร");
    auto* grid = new QGridLayout;
    const struct
    {
        const char16_t* caption;
        QLineEdit* box;
        bool inMetres;
    } rows[] = {{u"ระยะกริด", m_txtGrid, true},
                {u"จำนวนแถว", m_txtRow, false},
                {u"จำนวนคอลัมน์", m_txtCol, false},
                {u"ค่าความต่างของเส้นชั้นความสูง", m_txtInt, true}};
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf16(row.caption), this), r, 0);
        row.box->setAlignment(Qt::AlignRight);
        row.box->setMaximumWidth(row.box->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                                 14);
        grid->addWidget(row.box, r, 1);
        if (row.inMetres)
            grid->addWidget(new QLabel(metres, this), r, 2);
        ++r;
    }
    layOutWithButtons(this, grid, [this] { cmdOK_Click(); });
}

void ControlDialog::cmdOK_Click()
{
    const auto read =
        readControlData({m_txtGrid->text(), m_txtRow->text(), m_txtCol->text(), m_txtInt->text()});
    if (const auto* field = std::get_if<ControlField>(&read)) {
        m_prompts.notice(msg::InputError);
        QLineEdit* const boxes[] = {m_txtGrid, m_txtRow, m_txtCol, m_txtInt};
        QLineEdit* box = boxes[int(*field)];
        box->setFocus();
        box->selectAll();
        return;
    }
    const auto& values = std::get<ControlValues>(read);
    applyControlData(m_project, values);
    if (values.spacing == 0)
        m_prompts.notice(msg::InputError);
    accept();
}

} // namespace tervan
