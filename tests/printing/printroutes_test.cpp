#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "grading/pad.h"
#include "printing/cutfillreport.h"
#include "printing/ui/printjobs.h"
#include "support/printto.h"
#include "support/recordedprints.h"
#include "support/terrain.h"

#include <QStatusBar>
#include <gtest/gtest.h>

using namespace tervan;

// The window prints on a worker through a page counter; the device must get what the batch
// front end draws straight on it, the map's fills and the legend's swatches included.
TEST(PrintRoutes, TheWindowsWorkerPrintsTheSamePageAsTheBatchFrontEnd)
{
    const Project p = terrain(16, 21, 10);
    const EarthworkGrid ground = earthworkGrid(p);
    const PadResult pad = padAt(ground, {6, 5, 14, 10}, 103.5, {1.5, 2.0}, 1);
    const auto report = [&](PageSurface& page) {
        PrintCutFill(page, p, designtitle::Pad, padSummary(pad), padMap(ground, pad, 0.5),
                     printedDesignCells(pad.earthwork, 1, false));
    };
    RecordingPage direct, viaWorker;
    {
        PageSurface page(direct);
        report(page);
    }
    QStatusBar bar;
    PrintJobs jobs(&bar, nullptr);
    jobs.start(std::make_unique<ForwardingPage>(viaWorker), report);
    jobs.wait();

    const auto drawn = [](const RecordingPage& r) {
        QStringList out;
        for (const auto& i : r.items())
            out << QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(QString::number(i.document), i.text, QString::number(i.angle),
                            QString::number(i.at.x()), QString::number(i.to.y()));
        for (const auto& f : r.fills())
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(QString::number(f.document), QString::number(f.rgb),
                            QString::number(f.points.size()), QString::number(f.points[0].x()));
        return out;
    };
    EXPECT_EQ(drawn(viaWorker), drawn(direct));
    for (int c = -CutFillRamp::Classes; c <= CutFillRamp::Classes; ++c)
        EXPECT_TRUE(std::any_of(viaWorker.fills().begin(), viaWorker.fills().end(),
                                [c](const auto& f) { return f.rgb == CutFillRamp::colour(c); }))
            << "legend box " << c;
}
