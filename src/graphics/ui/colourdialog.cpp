#include "graphics/ui/colourdialog.h"

#include "project/project.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace tervan {

namespace {

// What the swatches show; lines are drawn with the palette, which differs at 1 and 10.
constexpr QRgb SwatchColours[15] = {qRgb(0, 0, 0),     qRgb(0, 0, 160),     qRgb(0, 128, 0),
                                    qRgb(0, 128, 128), qRgb(128, 0, 0),     qRgb(128, 0, 128),
                                    qRgb(128, 128, 0), qRgb(192, 192, 192), qRgb(128, 128, 128),
                                    qRgb(0, 0, 255),   qRgb(128, 255, 128), qRgb(0, 255, 255),
                                    qRgb(255, 0, 0),   qRgb(255, 0, 255),   qRgb(255, 255, 0)};

// Layout in twips, 15 to a pixel.
constexpr int px(int twips)
{
    return twips / 15;
}

} // namespace

ColourDialog::ColourDialog(Project& project, QWidget* parent)
    : CentredDialog(parent), m_project(project)
{
    setObjectName(QStringLiteral("frmBasicColor"));
    setWindowTitle(QStringLiteral("เปลี่ยนสีเส้นกราฟิก"));
    for (int n = 0; n < 15; ++n) {
        auto* label = new QLabel(QStringLiteral(" "), this);
        label->setObjectName(QStringLiteral("lblColor_%1").arg(n));
        label->setGeometry(px(120 + 600 * (n % 5)), px(120 + 600 * (n / 5)), px(375), px(375));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        m_swatches[n] = label;
        setBordered(n, false);
    }
    auto* hint = new QLabel(QStringLiteral("เลือกสี โดยการคลิ้กเมาส์ที่ช่องสี"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->move(px(480), px(1920));
    hint->adjustSize();

    auto* ok = new QPushButton(QStringLiteral("&ตกลง"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setGeometry(px(120), px(2280), px(975), px(330));
    auto* cancel = new QPushButton(QStringLiteral("&ยกเลิก"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setGeometry(px(1920), px(2280), px(975), px(330));
    for (QPushButton* button : {ok, cancel})
        button->setCursor(Qt::PointingHandCursor);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_project.UseChosenColor = -1;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_project.UseChosenColor = 0;
        reject();
    });

    // Wide enough for the hint in any font.
    setFixedSize(std::max(px(3015), hint->geometry().right() + px(120)), px(2760));
}

void ColourDialog::setBordered(int index, bool bordered)
{
    m_swatches[index]->setStyleSheet(
        QStringLiteral("background-color: %1; border: %2;")
            .arg(QColor(SwatchColours[index]).name(),
                 bordered ? QStringLiteral("1px solid black") : QStringLiteral("none")));
}

void ColourDialog::lblColor_Click(int index)
{
    if (index < 0 || index >= 15)
        return;
    const int previous = m_project.ChosenColorIndex.value_or(0);
    if (previous >= 0 && previous < 15)
        setBordered(previous, false);
    setBordered(index, true);
    m_project.ChosenColorIndex = qint16(index);
}

bool ColourDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a press and a release on the same swatch; the release reaches the pressed
    // swatch wherever the mouse went meanwhile.
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        for (int n = 0; n < 15; ++n) {
            if (watched != m_swatches[n])
                continue;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (type == QEvent::MouseButtonPress) {
                m_pressed = n;
            } else {
                if (m_pressed == n && m_swatches[n]->rect().contains(mouse->position().toPoint()))
                    lblColor_Click(n);
                m_pressed = -1;
            }
            return true;
        }
    }
    return CentredDialog::eventFilter(watched, event);
}

} // namespace tervan
