#include "app/picturedrawing.h"

#include "graphics/backgroundredraw.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

namespace tervan {

namespace {

// Long enough for everyday pictures to swap in at once, short enough for the window to stay
// responsive while a long one is drawn.
constexpr int QuickDrawMs = 20;
// A drawing shows its progress once it has taken this long.
constexpr int ProgressDelayMs = 150;
constexpr int ProgressPollMs = 50;

} // namespace

PictureDrawing::PictureDrawing(Project& project, PlotWidget* plot, QStatusBar* bar, QObject* parent)
    : QObject(parent), m_project(project), m_plot(plot), m_worker(new BackgroundRedraw(this)),
      m_progress(new QProgressBar(bar)), m_notice(new QLabel(bar)),
      m_progressTimer(new QTimer(this))
{
    m_progress->setObjectName(QStringLiteral("stbMainProgress"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(200);
    m_notice->setObjectName(QStringLiteral("stbMainNotice"));
    bar->addPermanentWidget(m_notice);
    bar->addPermanentWidget(m_progress);
    // Measured with Thai text and the progress bar in it, so that nothing shown later (the
    // mouse read-out, a notice, progress) changes the height and with it the picture's scale.
    m_notice->setText(QStringLiteral("ช่วงชั้นความสูงเล็กเกินไปสำหรับค่าระดับนี้ 0123456789"));
    bar->setFixedHeight(bar->sizeHint().height());
    m_notice->clear();
    m_progress->hide();

    m_progressTimer->setInterval(ProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this, &PictureDrawing::showProgress);
    connect(m_worker, &BackgroundRedraw::finished, this, &PictureDrawing::finished);
}

PictureDrawing::~PictureDrawing() = default;

bool PictureDrawing::showsOrDraws(const std::optional<State>& state, const NodeLabels& labels) const
{
    return state && state->project == m_snapshot && state->labels == labels &&
           state->size == m_plot->pictureSize();
}

void PictureDrawing::request(const NodeLabels& labels)
{
    // A project back at the picture shown takes that picture's snapshot, so nothing is drawn.
    if (!m_snapshot || !(*m_snapshot == m_project)) {
        if (m_shown && *m_shown->project == m_project)
            m_snapshot = m_shown->project;
        else
            m_snapshot = std::make_shared<const Project>(m_project);
    }
    if (showsOrDraws(m_drawing, labels))
        return;
    if (showsOrDraws(m_shown, labels)) {
        m_worker->cancel();
        m_drawing.reset();
        m_progressTimer->stop();
        m_progress->hide();
        return;
    }
    m_drawing = State{m_snapshot, labels, m_plot->pictureSize()};
    m_worker->start(m_snapshot, labels, m_drawing->size, m_plot->devicePixelRatioF());
    m_progress->setValue(0);
    if (m_worker->wait(QuickDrawMs))
        return;
    QTimer::singleShot(ProgressDelayMs, this, [this] {
        if (m_drawing) {
            showProgress();
            m_progress->show();
        }
    });
    m_progressTimer->start();
}

void PictureDrawing::clear()
{
    m_worker->cancel();
    m_drawing.reset();
    m_shown.reset();
    m_snapshot.reset();
    m_progressTimer->stop();
    m_progress->hide();
    m_notice->clear();
    m_plot->clear();
}

bool PictureDrawing::drawing() const
{
    return m_drawing.has_value();
}

void PictureDrawing::waitForPicture()
{
    m_worker->wait();
}

void PictureDrawing::finished(const QImage& image, const ProjectSnapshot& drawn)
{
    if (!m_drawing)
        return;
    m_plot->setImage(image);
    m_shown = State{drawn, m_drawing->labels, m_drawing->size};
    m_drawing.reset();
    m_progressTimer->stop();
    m_progress->hide();
    setNotice(*drawn);
    emit shown();
}

void PictureDrawing::showProgress()
{
    m_progress->setValue(m_worker->permille());
}

void PictureDrawing::setNotice(const Project& p)
{
    m_notice->setText(p.DisplayMode == PictureKind::GridWithContours
                          ? contourNotice(contourLevels(p, p.ContourInterval))
                          : QString());
}

void PictureDrawing::fitView()
{
    // The captions measured as the picture will write them: a surface of the plot's size
    // whose world units are its pixels.
    const QSize size = m_plot->pictureSize();
    QImage scratch(size, QImage::Format_RGB32);
    scratch.setDevicePixelRatio(m_plot->devicePixelRatioF());
    ImageSurface measure(scratch);
    measure.setWorld(0, 0, float(size.width()), float(size.height()));
    CaptionPixels captions;
    for (const QString& line : gridCaptions(m_project)) {
        captions.width = std::max(captions.width, double(measure.textWidth(line)));
        captions.lineHeight = std::max(captions.lineHeight, double(measure.textHeight(line)));
    }
    fitPicture(m_project, size.width(), size.height(), captions);
}

} // namespace tervan
