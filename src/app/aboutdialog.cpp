#include "app/aboutdialog.h"

#include "app/systeminfo.h"
#include "common/version.h"
#include "graphics/imagesurface.h"
#include "graphics/surfacemesh.h"
#include "project/controldata.h"
#include "project/project.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

// The pictures lie at 120 twips from the top left corner.
constexpr int PictureOffset = 120 / 15;
constexpr int PictureWidth = 160;
constexpr int PictureHeight = 120;
constexpr int AngleStep = 12;

// Seven by seven nodes at 10 m with one smooth hill, 0 to 25 m, off the centre so that every
// turn shows a different outline.
Project aboutTerrain()
{
    Project p = startupProject();
    applyControlData(p, {10, 7, 7, 5});
    std::vector<double> raw(p.Nodes.size());
    for (std::size_t n = 1; n < p.Nodes.size(); ++n) {
        const double dx = p.Nodes[n].X - 38.0, dy = p.Nodes[n].Y - 24.0;
        raw[n] = std::exp(-(dx * dx + dy * dy) / (2 * 14.0 * 14.0));
    }
    const auto [lo, hi] = std::minmax_element(raw.begin() + 1, raw.end());
    const double low = *lo, range = *hi - *lo;
    for (std::size_t n = 1; n < p.Nodes.size(); ++n)
        p.Nodes[n].Z = float(25 * (raw[n] - low) / range);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    return p;
}

struct Box
{
    double left, right, bottom, top;
};

// Where the oblique projection of the mesh lands, skirts included.
Box meshBox(const Project& p, double degrees)
{
    const double theta = degrees * std::acos(-1.0) / 180;
    const double c = std::cos(theta), s = std::sin(theta);
    Box b{1e30, -1e30, 1e30, -1e30};
    for (std::size_t n = 1; n < p.Nodes.size(); ++n) {
        const NodePoint& node = p.Nodes[n];
        const double h = node.X + node.Y * c;
        b.left = std::min(b.left, h);
        b.right = std::max(b.right, h);
        b.bottom = std::min(b.bottom, std::min(0.0, double(node.Z)) + node.Y * s);
        b.top = std::max(b.top, std::max(0.0, double(node.Z)) + node.Y * s);
    }
    return b;
}

// One scale for every frame, so the terrain turns without growing or shrinking; each frame is
// centred on its own outline.
QList<QImage> renderFrames()
{
    Project p = aboutTerrain();
    std::vector<Box> boxes;
    double width = 0, height = 0;
    for (int i = 0; i < AboutDialog::FrameCount; ++i) {
        boxes.push_back(meshBox(p, i * AngleStep));
        width = std::max(width, boxes.back().right - boxes.back().left);
        height = std::max(height, boxes.back().top - boxes.back().bottom);
    }
    const double perPixel = 1.12 * std::max(width / PictureWidth, height / PictureHeight);
    const double halfWidth = perPixel * PictureWidth / 2, halfHeight = perPixel * PictureHeight / 2;

    QList<QImage> frames;
    for (int i = 0; i < AboutDialog::FrameCount; ++i) {
        QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
        const Box& b = boxes[std::size_t(i)];
        const double cx = (b.left + b.right) / 2, cy = (b.bottom + b.top) / 2;
        p.RotationAngle = qint16(i * AngleStep);
        {
            ImageSurface surface(image);
            surface.clear();
            surface.setWorld(float(cx - halfWidth), float(cy + halfHeight), float(cx + halfWidth),
                             float(cy - halfHeight));
            PlotSurfaceMesh(surface, p);
        }
        frames << image;
    }
    return frames;
}

const QStringList Credits = {
    QStringLiteral("โปรแกรมคำนวณงานดินจากการสำรวจแบบตาราง"),
    QStringLiteral("รุ่น %1").arg(QStringLiteral(TERVAN_VERSION)),
    QStringLiteral("• ป้อนค่าระดับของหมุดสำรวจบนตารางสี่เหลี่ยม"),
    QStringLiteral("• เขียนแผนผังตารางและเส้นชั้นความสูง"),
    QStringLiteral("• แสดงผิวภูมิประเทศแบบโครงลวด หมุนดูได้"),
    QStringLiteral("• คำนวณปริมาตรดินตัดและดินถมสำหรับการปรับระดับ"),
    QStringLiteral("• พิมพ์รายงานและรูปออกทางเครื่องพิมพ์"),
    QStringLiteral("• บันทึกและเปิดแฟ้มงาน (.gnd, .nod)"),
    QStringLiteral("สำหรับวิศวกรสนามและช่างสำรวจ"),
    QStringLiteral("ระยะเป็นเมตร ปริมาตรเป็นลูกบาศก์เมตร"),
};

} // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : CentredDialog(parent), m_ownSystemInfo(std::make_unique<PlatformSystemInfo>()),
      m_systemInfo(*m_ownSystemInfo), m_timer(new QTimer(this))
{
    build();
}

AboutDialog::AboutDialog(SystemInfo& systemInfo, MessageFunction message, QWidget* parent)
    : CentredDialog(parent), m_systemInfo(systemInfo), m_message(std::move(message)),
      m_timer(new QTimer(this))
{
    build();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::build()
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("เกี่ยวกับ"));
    setModal(true);

    static const QList<QImage> images = renderFrames();
    for (int i = 0; i < FrameCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Image1_%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setPixmap(QPixmap::fromImage(images[i]));
        label->setGeometry(PictureOffset, PictureOffset, PictureWidth + 2, PictureHeight + 2);
        label->hide();
        m_frames << label;
    }
    m_frames[0]->show();

    auto* lblVersion = new QLabel(QStringLiteral("TERVAN"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont title = lblVersion->font();
    title.setPointSizeF(title.pointSizeF() * 2.4);
    title.setBold(true);
    lblVersion->setFont(title);

    auto* text = new QVBoxLayout;
    text->setSpacing(3);
    text->addWidget(lblVersion);
    for (int i = 0; i < Credits.size(); ++i) {
        auto* label = new QLabel(Credits[i], this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        if (i == 0) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
        // A little air between the heading, the feature list and the closing lines.
        if (i == 2 || i == 8)
            text->addSpacing(6);
        text->addWidget(label);
    }
    text->addStretch();

    auto* top = new QHBoxLayout;
    // Keeps the stacked pictures clear of the text.
    top->addSpacerItem(new QSpacerItem(PictureWidth + 2, PictureHeight + 2, QSizePolicy::Fixed,
                                       QSizePolicy::Fixed));
    // Box layouts put no spacing next to a spacer item.
    top->addSpacing(18);
    top->addLayout(text, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* cmdSysInfo = new QPushButton(QStringLiteral("&ข้อมูลระบบ"), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    auto* cmdOK = new QPushButton(QStringLiteral("&ตกลง"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    for (QPushButton* button : {cmdSysInfo, cmdOK})
        button->setMinimumWidth(std::max(100, button->sizeHint().width()));
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSysInfo);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(PictureOffset, PictureOffset, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, &AboutDialog::Timer1_Timer);
    m_timer->start();
}

void AboutDialog::Timer1_Timer()
{
    m_timer->setInterval(TickMs);
    ++m_frame;
    m_frames[m_frame - 1]->hide();
    if (m_frame == FrameCount)
        m_frame = 0;
    m_frames[m_frame]->show();
}

void AboutDialog::done(int result)
{
    m_timer->stop();
    CentredDialog::done(result);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    CentredDialog::showEvent(event);
    if (!m_timer->isActive())
        m_timer->start();
}

void AboutDialog::cmdSysInfo_Click()
{
    startSysInfo(m_systemInfo, [this](const QString& text) { showUnavailable(text); });
}

void AboutDialog::showUnavailable(const QString& text)
{
    if (m_message) {
        m_message(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.exec();
}

} // namespace tervan
