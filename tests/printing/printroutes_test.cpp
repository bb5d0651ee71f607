#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "grading/pad.h"
#include "printing/cutfillreport.h"
#include "printing/pagesurface.h"
#include "printing/recordingpage.h"
#include "printing/ui/printjobs.h"
#include "support/printto.h"
#include "support/recordedprints.h"
#include "support/terrain.h"

#include <QStatusBar>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// What one route put on paper, in the order it came.
QStringList drawn(const RecordingPage& r)
{
    QStringList out;
    for (const auto& item : r.items())
        out << QStringLiteral("%1 %2,%3 %4,%5 %6 %7")
                   .arg(item.document)
                   .arg(item.at.x())
                   .arg(item.at.y())
                   .arg(item.to.x())
                   .arg(item.to.y())
                   .arg(item.text)
                   .arg(item.angle);
    for (const auto& fill : r.fills()) {
        QString corners;
        for (const QPointF& p : fill.points)
            corners += QStringLiteral(" %1,%2").arg(p.x()).arg(p.y());
        out << QStringLiteral("fill %1 %2%3").arg(fill.document).arg(fill.rgb, 0, 16).arg(corners);
    }
    return out;
}

} // namespace

// The window prints on a worker through a page counter; what reaches the device must be what
// the batch front end draws straight on it: the map's fills and the legend's swatches included.
TEST(PrintRoutes, TheWindowsWorkerPrintsTheSamePageAsTheBatchFrontEnd)
{
    const Project p = terrain(16, 21, 10);
    const EarthworkGrid ground = earthworkGrid(p);
    const PadResult pad = padAt(ground, {6, 5, 14, 10}, 103.5, {1.5, 2.0}, 1);
    const CutFillMap map = padMap(ground, pad, 0.5);
    const auto report = [&](PageSurface& page) {
        PrintCutFill(page, p, designtitle::Pad, padSummary(pad), map,
                     printedDesignCells(pad.earthwork, 1, false));
    };

    RecordingPage direct;
    {
        PageSurface page(direct);
        report(page);
    }

    RecordingPage viaWorker;
    QStatusBar bar;
    PrintJobs jobs(&bar, nullptr);
    jobs.start(std::make_unique<ForwardingPage>(viaWorker), report);
    jobs.wait();

    int legend = 0;
    for (int c = -CutFillRamp::Classes; c <= CutFillRamp::Classes; ++c)
        for (const auto& fill : viaWorker.fills())
            if (fill.rgb == CutFillRamp::colour(c) && fill.points.size() == 4) {
                ++legend;
                break;
            }
    EXPECT_EQ(legend, 2 * CutFillRamp::Classes + 1);
    EXPECT_EQ(drawn(viaWorker), drawn(direct));
}
