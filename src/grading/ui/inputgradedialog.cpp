#include "grading/ui/inputgradedialog.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/grading.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace tervan {

namespace {

constexpr int px(int twips)
{
    return twips / 15;
}

} // namespace

InputGradeDialog::InputGradeDialog(Project& project, Prompts& prompts, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_prompts(prompts),
      m_txtElevUse(new QLineEdit(generalForm(project.FixGradeElevation, QLocale()), this))
{
    setObjectName(QStringLiteral("frmInputGrade"));
    setWindowTitle(QStringLiteral("ป้อนค่าระดับการปรับระดับพื้นที่"));
    auto* label = new QLabel(QStringLiteral("ค่าระดับในการปรับระดับพื้นที่"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->adjustSize();
    m_txtElevUse->setObjectName(QStringLiteral("txtElevUse"));
    m_txtElevUse->setAlignment(Qt::AlignRight);
    auto* unit = new QLabel(QStringLiteral("เมตร"), this);
    unit->setObjectName(QStringLiteral("Label2"));
    unit->adjustSize();
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    auto* ok = new QPushButton(QStringLiteral("&ตกลง"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);

    // The label may be wider than its place in some fonts: the box and unit move along.
    const int shift = std::max(0, px(240) + label->width() + 8 - px(2640));
    label->move(px(240), px(240) + (px(375) - label->height()) / 2);
    m_txtElevUse->setGeometry(px(2640) + shift, px(240), px(735), px(375));
    unit->move(px(3720) + shift, px(240) + (px(375) - unit->height()) / 2);
    const int width = px(4395) + shift;
    rule->setGeometry(0, px(720), width, px(135));
    ok->setGeometry(px(3120) + shift, px(1000), px(1095), px(375));
    setFixedSize(width, px(1560));

    connect(ok, &QPushButton::clicked, this, &InputGradeDialog::cmdOK_Click);
}

void InputGradeDialog::cmdOK_Click()
{
    const auto value = readLocaleNumber(m_txtElevUse->text());
    const float elevation = value ? float(*value) : 0.0f;
    // A platform so far off that the volumes overflow is no platform either.
    if (!value || !std::isfinite(elevation) || !PlatformGradeable(m_project, elevation)) {
        m_prompts.notice(msg::InputError);
        m_txtElevUse->setFocus();
        m_txtElevUse->selectAll();
        return;
    }
    m_project.FixGradeElevation = elevation;
    m_project.FixGradeGiven = true;
    accept();
}

} // namespace tervan
