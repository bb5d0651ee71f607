// Writes the benchmark pictures as PNG files into the directory given, so that two builds can
// be compared pixel for pixel.
#include "benchsupport.h"
#include "graphics/viewwindow.h"

#include <QDir>
#include <cstdio>

using namespace tervan;

namespace {

// With `inLines`, contours are drawn in lines however close their levels lie.
void save(const QString& dir, const QString& name, Project p, const NodeLabels& labels,
          bool inLines = false)
{
    fitScreen(p);
    QImage image(1600, 1000, QImage::Format_RGB32);
    {
        ImageSurface surface(image);
        LinesOnly lines(surface);
        Redraw(inLines ? static_cast<Surface&>(lines) : surface, p, labels);
    }
    image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tervan_bench_pictures DIR\n");
        return 2;
    }
    benchApplication();
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    Project grid = benchGrid(181, 181);
    grid.DisplayMode = PictureKind::Grid;
    save(dir, QStringLiteral("grid-all-labels"), grid, NodeLabels{true, true, true});
    save(dir, QStringLiteral("grid"), grid, NodeLabels{});

    Project p = benchTerrain();
    p.DisplayMode = PictureKind::GridWithContours;
    for (const float interval : {10.0f, 1.0f, 0.1f, 0.01f}) {
        p.ContourInterval = interval;
        for (const ContourEmphasis emphasis :
             {ContourEmphasis::EveryLevel, ContourEmphasis::WholeLevels}) {
            p.BoldWholeContours = emphasis;
            const bool bold = emphasis == ContourEmphasis::WholeLevels;
            const QString name =
                QStringLiteral("contour-%1%2").arg(interval).arg(bold ? "-bold" : "-labels");
            save(dir, name, p, NodeLabels{});
            save(dir, name + QStringLiteral("-lines"), p, NodeLabels{}, true);
        }
    }
    p.DisplayMode = PictureKind::Surface;
    save(dir, QStringLiteral("mesh"), p, NodeLabels{});
    return 0;
}
