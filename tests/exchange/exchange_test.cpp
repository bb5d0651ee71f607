#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "project/controldata.h"
#include "project/project.h"

#include <QFile>
#include <QProcess>
#include <QRectF>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <map>
#include <ogrsf_frmts.h>
#include <set>

using namespace tervan;

namespace {

const QString ThaiName = QStringLiteral("ที่ดินทดสอบ บ้านหนองบัว");

// 9 x 11 nodes 10 m apart: a hill on a slope, so some contours close and some reach the border.
Project hillProject(bool georeferenced)
{
    Project p = startupProject();
    applyControlData(p, {10, 9, 11, 0.5f});
    p.ProjectName = ThaiName;
    p.EngineerName = QStringLiteral("นายสมชาย ใจดี");
    for (int n = 1; n <= p.NodeCount; ++n) {
        const double x = p.Nodes[n].X, y = p.Nodes[n].Y;
        p.Nodes[n].Z = float(
            100.0037 + 4 * std::exp(-((x - 50) * (x - 50) + (y - 40) * (y - 40)) / 800) + 0.03 * x);
    }
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    if (georeferenced)
        p.Georef = Georeference{650000, 1520000, 32647, {}};
    return p;
}

// What the tracer draws: per level, the length of its segments.
struct TracedLengths final : ContourSink
{
    std::map<float, double> length;
    float at = 0;
    void level(float level, int) override { at = level, length[level] += 0; }
    void point(float, float) override {}
    void segment(float x1, float y1, float x2, float y2) override
    {
        length[at] += std::hypot(double(x2) - x1, double(y2) - y1);
    }
    void label(Border, float, float, float) override {}
};

std::map<float, double> traced(const Project& p)
{
    TracedLengths sink;
    TraceContours(p, p.ContourInterval, -1, sink);
    return sink.length;
}

struct ReadLine
{
    float elev;
    bool index;
    double length;
};

struct DatasetClose
{
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

Dataset open(const QString& file, unsigned kind)
{
    GDALAllRegister();
    return Dataset(GDALDataset::Open(QFile::encodeName(file).constData(), kind | GDAL_OF_READONLY));
}

// The contour lines as GDAL reads them back; DXF carries the level as Z and the kind as layer.
std::vector<ReadLine> readLines(const QString& file, QStringList* texts = nullptr)
{
    std::vector<ReadLine> out;
    Dataset ds = open(file, GDAL_OF_VECTOR);
    if (!ds)
        return out;
    OGRLayer* layer = ds->GetLayer(0);
    const bool dxf = file.endsWith(QLatin1String(".dxf"));
    for (auto& feature : *layer) {
        const auto* line = dynamic_cast<const OGRLineString*>(feature->GetGeometryRef());
        if (dxf) {
            const QString name = QString::fromUtf8(feature->GetFieldAsString("Layer"));
            if (texts && name == QLatin1String("TITLE"))
                *texts << QString::fromUtf8(feature->GetFieldAsString("Text"));
            if (line && name.startsWith(QLatin1String("CONTOUR")))
                out.push_back({float(line->getZ(0)), name == QLatin1String("CONTOUR-INDEX"),
                               line->get_Length()});
        } else if (line) {
            out.push_back({float(feature->GetFieldAsDouble("elev")),
                           feature->GetFieldAsInteger("index") == 1, line->get_Length()});
        }
    }
    return out;
}

struct ContourCase
{
    const char* suffix;
    bool georeferenced;
};

// The hill written in the case's format into a fresh folder.
class Exported : public testing::TestWithParam<ContourCase>
{
protected:
    void write(ExportKind kind)
    {
        p = hillProject(GetParam().georeferenced);
        file = dir.filePath(QStringLiteral("hill.") + QLatin1String(GetParam().suffix));
        const ExportFormat* format = exportFormatOf(kind, file);
        ASSERT_TRUE(format);
        ASSERT_EQ(exportProject(p, *format, file, p.ContourInterval, QDate(2026, 1, 2)), QString());
    }

    Project p;
    QTemporaryDir dir;
    QString file;
};

class ContoursOut : public Exported
{
};

// Each level's exported lines are as long as the traced segments, carry a traced level and
// sit on the index layer exactly when whole.
TEST_P(ContoursOut, ReadsBackAsTraced)
{
    const ContourCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(write(ExportKind::Contours));

    QStringList texts;
    const auto lines = readLines(file, &texts);
    const auto expected = traced(p);
    std::map<float, double> length;
    std::set<bool> kinds;
    for (const ReadLine& l : lines) {
        ASSERT_TRUE(expected.count(l.elev)) << l.elev;
        EXPECT_EQ(l.index, std::floor(l.elev) == l.elev) << l.elev;
        length[l.elev] += l.length;
        kinds.insert(l.index);
    }
    EXPECT_EQ(kinds.size(), 2u);
    // The tracer rounds each crossing to a float; the exported lines are computed in double.
    for (const auto& [level, total] : expected)
        EXPECT_NEAR(length[level], total, total * 1e-6 + 1e-5) << level;

    if (QLatin1String(c.suffix) == QLatin1String("dxf")) {
        EXPECT_TRUE(texts.contains(ThaiName)) << texts.join(u'|').toStdString();
        if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
            GTEST_SKIP() << "no python3 for the independent DXF reading";
        QStringList args{QStringLiteral(DXF_CHECK), file, ThaiName};
        for (const auto& entry : expected)
            args << QString::number(entry.first, 'g', 9);
        QProcess check;
        check.start(QStringLiteral("/usr/bin/python3"), args);
        ASSERT_TRUE(check.waitForFinished(60000));
        EXPECT_EQ(check.exitCode(), 0)
            << check.readAll().toStdString() << check.readAllStandardError().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ContoursOut,
                         testing::Values(ContourCase{"dxf", false}, ContourCase{"dxf", true},
                                         ContourCase{"gpkg", false}, ContourCase{"gpkg", true},
                                         ContourCase{"shp", true}));

// Joined once: a line either closes on itself or ends on the grid's border.
TEST(ContourLines, CloseOrReachTheBorder)
{
    const Project p = hillProject(false);
    const ContourSet set = traceContourLines(p, p.ContourInterval);
    auto onBorder = [&](const QPointF& q) {
        return std::abs(q.x()) < 1e-4 || std::abs(q.y()) < 1e-4 ||
               std::abs(q.x() - p.NodeXMax) < 1e-4 || std::abs(q.y() - p.NodeYMax) < 1e-4;
    };
    int closed = 0;
    for (const ContourLine& line : set.lines) {
        if (line.closed) {
            ++closed;
            EXPECT_EQ(line.points.front(), line.points.back());
        } else {
            EXPECT_TRUE(onBorder(line.points.front()) && onBorder(line.points.back()))
                << line.level;
        }
    }
    EXPECT_GT(closed, 0);
    for (const ContourLabel& label : set.labels)
        EXPECT_EQ(std::floor(label.level), label.level);
}

// Cut at an outline, a line still closes on itself or ends where the ground does, at the
// outline or the grid's border: a ring cut in two is two pieces, not three.
TEST(ContourLines, CutOnlyWhereTheGroundEnds)
{
    for (const auto& [from, to, cut] : {std::array{-10.0, 47.5, 47.5},
                                        {47.5, 110.0, 47.5},
                                        {-10.0, 52.5, 52.5},
                                        {52.5, 110.0, 52.5}}) {
        Project p = hillProject(false);
        p.Georef = Georeference{0, 0, 0, {}};
        p.Georef->outline = {{from, -10}, {to, -10}, {to, 90}, {from, 90}};
        const ContourSet set = clippedToOutline(traceContourLines(p, 0.5f), *ExportOutline::of(p));
        auto atAnEnd = [&](const QPointF& q) {
            return std::abs(q.x() - cut) < 1e-6 ||
                   !QRectF(1e-4, 1e-4, 100 - 2e-4, 80 - 2e-4).contains(q);
        };
        int cutRings = 0;
        for (const ContourLine& line : set.lines) {
            EXPECT_TRUE(line.closed ||
                        (atAnEnd(line.points.front()) && atAnEnd(line.points.back())))
                << line.level << " cut at " << cut << " from " << from;
            cutRings +=
                std::abs(line.points.front().x() - cut) + std::abs(line.points.back().x() - cut) <
                1e-6;
        }
        EXPECT_GT(cutRings, 0);
    }
}

// Labels along the lines come back from an independent reader as centred TEXT on
// CONTOUR-LABEL, turned along the line of their level where they stand, never upside down.
TEST(ContoursOut, LabelsAlongTheLinesReadBackTurned)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        GTEST_SKIP() << "no python3 for the independent DXF reading";
    Project p = hillProject(true);
    p.ContourLabelsAlong = true;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hill.dxf"));
    ASSERT_EQ(exportProject(p, *exportFormatOf(ExportKind::Contours, file), file, 0.5f, {}),
              QString());
    QProcess check;
    check.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(ALONG_CHECK), file});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0)
        << check.readAll().toStdString() << check.readAllStandardError().toStdString();
}

// GeoJSON is longitude/latitude: refused for a grid without a system, else within Thailand.
TEST(ContoursOut, GeoJsonNeedsACoordinateSystem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hill.geojson"));
    const ExportFormat* format = exportFormatOf(ExportKind::Contours, file);
    const QString refusal = exportProject(hillProject(false), *format, file, 0.5f, {});
    EXPECT_TRUE(refusal.contains(QLatin1String("DXF")) &&
                refusal.contains(QLatin1String("GeoPackage")));
    EXPECT_FALSE(QFile::exists(file));

    const Project p = hillProject(true);
    ASSERT_EQ(exportProject(p, *format, file, 0.5f, {}), QString());
    Dataset ds = open(file, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    OGREnvelope box;
    ASSERT_EQ(ds->GetLayer(0)->GetExtent(&box), OGRERR_NONE);
    EXPECT_GT(box.MinX, 97.0);
    EXPECT_LT(box.MaxX, 106.0);
    EXPECT_GT(box.MinY, 5.0);
    EXPECT_LT(box.MaxY, 21.0);
    EXPECT_EQ(ds->GetLayer(0)->GetFeatureCount(), qint64(traceContourLines(p, 0.5f).lines.size()));
}

class SurfaceOut : public Exported
{
};

// Node for node: every height at its world position, from the file as other programs read it.
TEST_P(SurfaceOut, EveryNodeReadsBack)
{
    const ContourCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(write(ExportKind::Surface));
    const int rows = p.GridRows, cols = p.GridCols;

    if (QLatin1String(c.suffix) == QLatin1String("xml")) {
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&in);
        int points = 0, faces = 0;
        QString surface;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("Surface"))
                surface = xml.attributes().value(QLatin1String("name")).toString();
            if (xml.name() == QLatin1String("F"))
                ++faces, xml.skipCurrentElement();
            if (xml.name() == QLatin1String("P")) {
                const int id = xml.attributes().value(QLatin1String("id")).toInt();
                const QStringList neh = xml.readElementText().split(u' ');
                ASSERT_EQ(neh.size(), 3);
                ASSERT_TRUE(id >= 1 && id <= rows * cols);
                EXPECT_EQ(neh[0].toDouble(), worldY(p.Georef, p.Nodes[id].Y));
                EXPECT_EQ(neh[1].toDouble(), worldX(p.Georef, p.Nodes[id].X));
                EXPECT_EQ(neh[2].toFloat(), p.Nodes[id].Z);
                ++points;
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(points, rows * cols);
        EXPECT_EQ(faces, 2 * (rows - 1) * (cols - 1));
        EXPECT_EQ(surface, ThaiName);
        return;
    }
    Dataset ds = open(file, GDAL_OF_RASTER);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetRasterXSize(), cols);
    ASSERT_EQ(ds->GetRasterYSize(), rows);
    double t[6];
    ASSERT_EQ(ds->GetGeoTransform(t), CE_None);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < cols; ++k) {
            float z = 0;
            ASSERT_EQ(
                ds->GetRasterBand(1)->RasterIO(GF_Read, k, r, 1, 1, &z, 1, 1, GDT_Float32, 0, 0),
                CE_None);
            const NodePoint& node = p.Nodes[(rows - 1 - r) * cols + k + 1];
            EXPECT_EQ(z, node.Z);
            // The pixel's centre is the node.
            EXPECT_DOUBLE_EQ(t[0] + (k + 0.5) * t[1], worldX(p.Georef, node.X));
            EXPECT_DOUBLE_EQ(t[3] + (r + 0.5) * t[5], worldY(p.Georef, node.Y));
        }
    }
    if (c.georeferenced) {
        OGRSpatialReference utm47;
        utm47.importFromEPSG(32647);
        EXPECT_TRUE(ds->GetSpatialRef() && ds->GetSpatialRef()->IsSame(&utm47));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SurfaceOut,
                         testing::Values(ContourCase{"xml", false}, ContourCase{"xml", true},
                                         ContourCase{"asc", false}, ContourCase{"asc", true},
                                         ContourCase{"tif", true}));

// The format follows the suffix, within the command's own kind only.
TEST(ExportFormats, FoundBySuffix)
{
    const struct
    {
        ExportKind kind;
        const char* file;
        const char* suffix; // nullptr: refused
    } cases[] = {{ExportKind::Contours, "a.DXF", "dxf"},   {ExportKind::Contours, "b.gpkg", "gpkg"},
                 {ExportKind::Contours, "c.xml", nullptr}, {ExportKind::Surface, "d.tif", "tif"},
                 {ExportKind::Surface, "e.dxf", nullptr},  {ExportKind::Surface, "noext", nullptr}};
    for (const auto& c : cases) {
        const ExportFormat* f = exportFormatOf(c.kind, QString::fromLatin1(c.file));
        EXPECT_EQ(QString::fromLatin1(f ? f->suffix : ""),
                  QString::fromLatin1(c.suffix ? c.suffix : ""))
            << c.file;
    }
}

// An L-shaped site on the 11 x 11 grid below, as the union of two closed boxes of grid metres
// (x0, y0, x1, y1) and the whole cells inside, counted from the figure.
struct Site
{
    const char* name;
    std::vector<std::pair<double, double>> corners;
    std::array<double, 4> boxes[2];
    int cells;
    bool holds(double x, double y) const
    {
        return std::any_of(std::begin(boxes), std::end(boxes), [&](const auto& b) {
            return x >= b[0] && x <= b[2] && y >= b[1] && y <= b[3];
        });
    }
};
// Along the grid's bottom and left edges, the upper right 55 m square missing; and inside the
// grid, between nodes all round.
const Site BorderL{"border",
                   {{0, 0}, {100, 0}, {100, 45}, {45, 45}, {45, 100}, {0, 100}},
                   {{0, 0, 100, 45}, {0, 45, 45, 100}},
                   4 * 10 + 6 * 4};
const Site InsetL{"inset",
                  {{5, 5}, {95, 5}, {95, 45}, {45, 45}, {45, 95}, {5, 95}},
                  {{5, 5, 95, 45}, {5, 45, 45, 95}},
                  3 * 8 + 5 * 3};

// Every node a multiple of 1/16 m off the half metre and exact in a float, so no node lies on
// a level and the contours are the plane's straight lines.
constexpr double Base = 100.0625;

// 11 x 11 nodes 10 m apart on the plane Base + a x + b y; epsg 0: a local grid at the origin.
Project siteProject(const Site& site, double a, double b, int epsg)
{
    Project p = startupProject();
    applyControlData(p, {10, 11, 11, 0.5f});
    p.ProjectName = ThaiName;
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = float(Base + a * p.Nodes[n].X + b * p.Nodes[n].Y);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    const double e = epsg ? 650000 : 0, n = epsg ? 1520000 : 0;
    p.Georef = Georeference{e, n, epsg, {}};
    for (const auto& [x, y] : site.corners)
        p.Georef->outline.emplace_back(e + x, n + y);
    return p;
}

// Length of the line a x + b y = k (a != 0) within the box, walked along y.
double lengthIn(double a, double b, double k, const std::array<double, 4>& box)
{
    double lo = box[1], hi = box[3];
    if (b != 0) {
        const double at0 = (k - a * box[0]) / b, at2 = (k - a * box[2]) / b;
        lo = std::max(lo, std::min(at0, at2));
        hi = std::min(hi, std::max(at0, at2));
    } else if (k / a < box[0] || k / a > box[2]) {
        return 0;
    }
    return hi > lo ? (hi - lo) * std::hypot(1.0, b / a) : 0;
}

struct SiteCase
{
    const char* suffix;
    const Site* site;
    double a, b; // the plane's slopes
    int epsg;
};

std::string siteCaseName(const testing::TestParamInfo<SiteCase>& info)
{
    return std::string(info.param.suffix) + '_' + info.param.site->name + '_' +
           std::to_string(info.index);
}

class SiteOut : public testing::TestWithParam<SiteCase>
{
protected:
    void write(ExportKind kind)
    {
        p = siteProject(*GetParam().site, GetParam().a, GetParam().b, GetParam().epsg);
        file = dir.filePath(QStringLiteral("site.") + QLatin1String(GetParam().suffix));
        ASSERT_EQ(exportProject(p, *exportFormatOf(kind, file), file, 0.5f, {}), QString());
    }
    Project p;
    QTemporaryDir dir;
    QString file;
};

class ContoursInSite : public SiteOut
{
};

// Read back by GDAL, every vertex lies on the site (within a millimetre) and each level is as
// long as its line within the L; the DXF also draws the site's edge, closed, on its own layer.
TEST_P(ContoursInSite, StopAtTheOutline)
{
    const SiteCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(write(ExportKind::Contours));
    const bool dxf = file.endsWith(QLatin1String(".dxf"));
    OGRPolygon outline;
    outline.addRingDirectly(new OGRLinearRing);
    for (const auto& [e, n] : p.Georef->outline)
        outline.getExteriorRing()->addPoint(e, n);
    outline.closeRings();
    const std::unique_ptr<OGRGeometry> site(outline.Buffer(0.001));
    std::map<float, double> length;
    double drawnOutline = 0;
    Dataset ds = open(file, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    for (auto& feature : *ds->GetLayer(0)) {
        const auto* line = dynamic_cast<const OGRLineString*>(feature->GetGeometryRef());
        const QString layer = QString::fromUtf8(dxf ? feature->GetFieldAsString("Layer") : "");
        if (line && layer == QLatin1String("SITE-OUTLINE")) {
            OGRLinearRing ring;
            ring.addSubLineString(line);
            drawnOutline += line->get_IsClosed() ? ring.get_Area() : 0;
        }
        if (!line || (dxf && !layer.startsWith(QLatin1String("CONTOUR"))))
            continue;
        const float level = float(dxf ? line->getZ(0) : feature->GetFieldAsDouble("elev"));
        for (int i = 0; i < line->getNumPoints(); ++i) {
            const OGRPoint at(line->getX(i), line->getY(i));
            EXPECT_TRUE(site->Intersects(&at)) << level << " at " << at.getX() << " " << at.getY();
        }
        length[level] += line->get_Length();
    }
    std::map<float, double> expected;
    for (double level = std::ceil(p.ElevMin * 2) / 2; level <= p.ElevMax; level += 0.5)
        for (const auto& box : c.site->boxes)
            expected[float(level)] += lengthIn(c.a, c.b, level - Base, box);
    for (const auto& [level, total] : length)
        EXPECT_TRUE(expected.count(level)) << level;
    for (const auto& [level, total] : expected)
        EXPECT_NEAR(length[level], total, 1e-3) << level;
    if (!dxf)
        return;
    const auto& [a, b] = c.site->boxes;
    EXPECT_NEAR(drawnOutline, (a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]), 1e-6);
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        GTEST_SKIP() << "no python3 for the independent DXF reading";
    QStringList args{QStringLiteral(DXF_CHECK), file, ThaiName, QStringLiteral("--outline")};
    for (const auto& [level, total] : expected)
        args << QString::number(level, 'g', 9);
    QProcess check;
    check.start(QStringLiteral("/usr/bin/python3"), args);
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sites, ContoursInSite,
                         testing::Values(SiteCase{"dxf", &InsetL, 0.125, 0.0625, 32647},
                                         SiteCase{"dxf", &BorderL, 0.125, 0, 0},
                                         SiteCase{"gpkg", &InsetL, 0.0625, 0.125, 0},
                                         SiteCase{"gpkg", &BorderL, 0.0625, -0.125, 32647},
                                         SiteCase{"shp", &InsetL, -0.125, 0.0625, 32647},
                                         SiteCase{"shp", &BorderL, 0.125, 0.125, 0}),
                         siteCaseName);

class SurfaceInSite : public SiteOut
{
};

// Rasters hold NoData at exactly the nodes off the site (one on the outline is on it) and every
// other height; LandXML keeps the triangles wholly on the site and only the points they use.
TEST_P(SurfaceInSite, NothingOffTheSite)
{
    const Site& site = *GetParam().site;
    ASSERT_NO_FATAL_FAILURE(write(ExportKind::Surface));
    const int rows = p.GridRows, cols = p.GridCols;
    if (file.endsWith(QLatin1String(".xml"))) {
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&in);
        std::set<int> points, used;
        int faces = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("P")) {
                const int id = xml.attributes().value(QLatin1String("id")).toInt();
                const QStringList neh = xml.readElementText().split(u' ');
                EXPECT_TRUE(points.insert(id).second);
                EXPECT_TRUE(site.holds(neh[1].toDouble() - worldX(p.Georef, 0),
                                       neh[0].toDouble() - worldY(p.Georef, 0)));
            } else if (xml.name() == QLatin1String("F")) {
                for (const QString& id : xml.readElementText().split(u' '))
                    used.insert(id.toInt());
                ++faces;
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(faces, 2 * site.cells);
        EXPECT_EQ(used, points);
        return;
    }
    Dataset ds = open(file, GDAL_OF_RASTER);
    ASSERT_TRUE(ds);
    GDALRasterBand* band = ds->GetRasterBand(1);
    int hasNoData = 0;
    const float noData = float(band->GetNoDataValue(&hasNoData));
    ASSERT_TRUE(hasNoData);
    std::vector<float> z(std::size_t(rows) * cols);
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, cols, rows, z.data(), cols, rows, GDT_Float32, 0, 0),
              CE_None);
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
            const NodePoint& node = p.Nodes[(rows - 1 - r) * cols + k + 1];
            EXPECT_EQ(z[std::size_t(r) * cols + k], site.holds(node.X, node.Y) ? node.Z : noData)
                << node.X << " " << node.Y;
        }
}

INSTANTIATE_TEST_SUITE_P(Sites, SurfaceInSite,
                         testing::Values(SiteCase{"asc", &InsetL, 0.125, 0.0625, 0},
                                         SiteCase{"asc", &BorderL, 0.125, 0.0625, 32647},
                                         SiteCase{"tif", &InsetL, 0.125, 0.0625, 32647},
                                         SiteCase{"tif", &BorderL, 0.125, 0.0625, 0},
                                         SiteCase{"xml", &InsetL, 0.125, 0.0625, 0},
                                         SiteCase{"xml", &BorderL, 0.125, 0.0625, 32647}),
                         siteCaseName);

// An outline GEOS refuses (crossing itself) leaves the whole grid as ground, as the volumes
// take it: every format writes what it writes for a grid without an outline.
TEST(ExportOutline, OneCrossingItselfCountsAsNone)
{
    Project p = siteProject(InsetL, 0.125, 0.0625, 0), bowTie = p;
    bowTie.Georef->outline = {{0, 0}, {100, 100}, {100, 0}, {0, 100}};
    p.Georef->outline.clear();
    QTemporaryDir dir;
    for (const auto& [kind, suffix] : {std::pair{ExportKind::Contours, "dxf"},
                                       {ExportKind::Contours, "shp"},
                                       {ExportKind::Surface, "xml"},
                                       {ExportKind::Surface, "asc"},
                                       {ExportKind::Surface, "tif"}}) {
        QFile plain(dir.filePath(QStringLiteral("plain.") + QLatin1String(suffix)));
        QFile crossed(dir.filePath(QStringLiteral("crossed.") + QLatin1String(suffix)));
        ASSERT_EQ(
            exportProject(p, *exportFormatOf(kind, plain.fileName()), plain.fileName(), 0.5f, {}),
            QString());
        ASSERT_EQ(exportProject(bowTie, *exportFormatOf(kind, crossed.fileName()),
                                crossed.fileName(), 0.5f, {}),
                  QString());
        ASSERT_TRUE(plain.open(QIODevice::ReadOnly) && crossed.open(QIODevice::ReadOnly));
        EXPECT_TRUE(plain.readAll() == crossed.readAll()) << suffix;
    }
}

} // namespace
