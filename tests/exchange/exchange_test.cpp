#include "common/gdaldrivers.h"
#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/files.h"

#include <QDir>
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
    TraceContours(p, p.ContourInterval, ContourEmphasis::WholeLevels, sink);
    return sink.length;
}

struct ReadLine
{
    float elev;
    bool index;
    double length;
};

using Dataset = GDALDatasetUniquePtr;

Dataset open(const QString& file, unsigned kind)
{
    registerGdalDrivers();
    return Dataset(GDALDataset::Open(QFile::encodeName(file).constData(), kind | GDAL_OF_READONLY));
}

// The contour lines as GDAL reads them back; DXF carries the level as Z and the kind as layer,
// and draws the site's outline on a layer of its own.
std::vector<ReadLine> readLines(const QString& file, QStringList* texts = nullptr,
                                double* outlineArea = nullptr)
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
            OGRLinearRing ring;
            if (outlineArea && line && name == QLatin1String("SITE-OUTLINE") &&
                line->get_IsClosed())
                ring.addSubLineString(line), *outlineArea += ring.get_Area();
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

// The independent reading of a DXF by dxfcheck.py or alongcheck.py: what it found wrong, if
// python3 is there to read it.
QString pythonCheck(const QStringList& args)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        return {};
    QProcess check;
    check.start(QStringLiteral("/usr/bin/python3"), args);
    if (!check.waitForFinished(60000))
        return QStringLiteral("timed out");
    return check.exitCode() == 0
               ? QString()
               : QString::fromUtf8(check.readAll() + check.readAllStandardError());
}

// A LandXML surface: its name, points by id (northing, easting, height) and faces.
struct LandXml
{
    QString surface;
    std::map<int, std::array<double, 3>> points;
    std::vector<QStringList> faces;
    QString error;
};

LandXml readLandXml(const QString& file)
{
    LandXml got;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {{}, {}, {}, in.errorString()};
    QXmlStreamReader xml(&in);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("Surface"))
            got.surface = xml.attributes().value(QLatin1String("name")).toString();
        if (xml.name() == QLatin1String("F"))
            got.faces.push_back(xml.readElementText().split(u' '));
        if (xml.name() == QLatin1String("P")) {
            const int id = xml.attributes().value(QLatin1String("id")).toInt();
            const QStringList neh = xml.readElementText().split(u' ');
            if (neh.size() != 3 ||
                !got.points
                     .emplace(id,
                              std::array{neh[0].toDouble(), neh[1].toDouble(), neh[2].toDouble()})
                     .second)
                got.error += QStringLiteral("point %1: %2 ").arg(id).arg(neh.join(u' '));
        }
    }
    got.error += xml.errorString();
    return got;
}

// Joined once, and cut only where the ground ends: a line closes on itself or ends on the
// grid's border or at the outline's cut (x = cut), so a ring cut in two is two pieces, not three.
TEST(ContourLines, CloseOrEndWhereTheGroundDoes)
{
    const double none = std::nan("");
    for (const auto& [from, to, cut] : {std::array{none, none, none},
                                        {-10.0, 47.5, 47.5},
                                        {47.5, 110.0, 47.5},
                                        {-10.0, 52.5, 52.5},
                                        {52.5, 110.0, 52.5}}) {
        Project p = hillProject(false);
        ContourSet set = traceContourLines(p, p.ContourInterval);
        if (!std::isnan(cut)) {
            p.Georef = Georeference{0, 0, 0, {}};
            p.Georef->outline = {{from, -10}, {to, -10}, {to, 90}, {from, 90}};
            set = clippedToOutline(set, *ExportOutline::of(p));
        }
        const auto atAnEnd = [&](const QPointF& q) {
            return std::abs(q.x() - cut) < 1e-6 ||
                   !QRectF(1e-4, 1e-4, p.NodeXMax - 2e-4, p.NodeYMax - 2e-4).contains(q);
        };
        int closed = 0, cutRings = 0;
        for (const ContourLine& line : set.lines) {
            const QPointF front = line.points.front(), back = line.points.back();
            closed += line.closed;
            if (line.closed)
                EXPECT_EQ(front, back);
            else
                EXPECT_TRUE(atAnEnd(front) && atAnEnd(back)) << line.level << " cut at " << cut;
            cutRings += std::abs(front.x() - cut) + std::abs(back.x() - cut) < 1e-6;
        }
        EXPECT_GT(std::isnan(cut) ? closed : cutRings, 0) << from;
        for (const ContourLabel& label : set.labels)
            EXPECT_EQ(std::floor(label.level), label.level);
    }
}

// Labels along the lines come back from an independent reader as centred TEXT on
// CONTOUR-LABEL, turned along the line of their level where they stand, never upside down.
TEST(ContoursOut, LabelsAlongTheLinesReadBackTurned)
{
    Project p = hillProject(true);
    p.ContourLabelsAlong = true;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hill.dxf"));
    ASSERT_EQ(exportProject(p, *exportFormatOf(ExportKind::Contours, file), file, 0.5f, {}),
              QString());
    EXPECT_EQ(pythonCheck({QStringLiteral(ALONG_CHECK), file}), QString());
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

// A site on the 11 x 11 grid below: the union of two closed boxes of grid metres (x0, y0, x1, y1),
// the whole cells inside, counted from the figure, and the area of the outline drawn.
struct Site
{
    std::vector<std::pair<double, double>> corners;
    std::array<double, 4> boxes[2];
    int cells;
    double drawn;
    bool holds(double x, double y) const
    {
        return std::any_of(std::begin(boxes), std::end(boxes), [&](const auto& b) {
            return x >= b[0] && x <= b[2] && y >= b[1] && y <= b[3];
        });
    }
};
// L-shaped, the upper right 55 m square missing, along the grid's bottom and left edges and
// inside the grid, between nodes all round; an outline crossing itself, which the volumes take
// as no outline: the whole grid, nothing drawn; and none at all.
const Site BorderL{{{0, 0}, {100, 0}, {100, 45}, {45, 45}, {45, 100}, {0, 100}},
                   {{0, 0, 100, 45}, {0, 45, 45, 100}},
                   4 * 10 + 6 * 4,
                   100 * 45 + 45 * 55};
const Site InsetL{{{5, 5}, {95, 5}, {95, 45}, {45, 45}, {45, 95}, {5, 95}},
                  {{5, 5, 95, 45}, {5, 45, 45, 95}},
                  3 * 8 + 5 * 3,
                  90 * 40 + 40 * 50};
const Site BowTie{
    {{0, 0}, {100, 100}, {100, 0}, {0, 100}}, {{0, 0, 100, 100}, {0, 0, 0, 0}}, 100, 0};
const Site None{{}, {{0, 0, 100, 100}, {0, 0, 0, 0}}, 100, 0};

// Every node a multiple of 1/16 m off the half metre and exact in a float, so no node lies on
// a level and the contours are the plane's straight lines.
constexpr double Base = 100.0625;

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
    const Site* site; // nullptr: the hill, with no outline
    double a, b;      // the plane's slopes
    int epsg;         // 0: a local grid at the origin, placed only to carry an outline
};

// The hill, or 11 x 11 nodes 10 m apart on the plane Base + a x + b y on the case's site,
// written in the case's format as `file`.
Project writeOnASite(const SiteCase& c, ExportKind kind, const QString& file)
{
    Project p = c.site ? startupProject() : hillProject(false);
    if (c.site) {
        applyControlData(p, {10, 11, 11, 0.5f});
        p.ProjectName = ThaiName;
        for (int n = 1; n <= p.NodeCount; ++n)
            p.Nodes[n].Z = float(Base + c.a * p.Nodes[n].X + c.b * p.Nodes[n].Y);
        p.ComputeElevationRange();
        p.ComputeNodeExtents();
    }
    const double e0 = c.epsg ? 650000 : 0, n0 = c.epsg ? 1520000 : 0;
    const auto& corners = c.site ? c.site->corners : None.corners;
    if (c.epsg || !corners.empty())
        p.Georef = Georeference{e0, n0, c.epsg, {}};
    for (const auto& [x, y] : corners)
        p.Georef->outline.emplace_back(e0 + x, n0 + y);
    EXPECT_EQ(exportProject(p, *exportFormatOf(kind, file), file, 0.5f, {}), QString());
    return p;
}

class SurfaceOut : public testing::TestWithParam<SiteCase>
{
};

// Node for node, from the file as other programs read it: every height on the site at its world
// position, NoData at exactly the nodes off it (one on the outline is on it); LandXML keeps the
// triangles wholly on the site and only the points they use.
TEST_P(SurfaceOut, EveryNodeReadsBack)
{
    const SiteCase c = GetParam();
    const Site& site = *c.site;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("site.") + QLatin1String(c.suffix));
    const Project p = writeOnASite(c, ExportKind::Surface, file);
    const int rows = p.GridRows, cols = p.GridCols;

    if (QLatin1String(c.suffix) == QLatin1String("xml")) {
        const LandXml xml = readLandXml(file);
        EXPECT_EQ(xml.error, QString());
        EXPECT_EQ(xml.surface, ThaiName);
        std::set<int> ids, used;
        for (const auto& [id, neh] : xml.points) {
            ASSERT_TRUE(id >= 1 && id <= rows * cols);
            const NodePoint& node = p.Nodes[id];
            EXPECT_TRUE(site.holds(node.X, node.Y)) << id;
            EXPECT_EQ(neh[0], worldY(p.Georef, node.Y));
            EXPECT_EQ(neh[1], worldX(p.Georef, node.X));
            EXPECT_EQ(float(neh[2]), node.Z);
            ids.insert(id);
        }
        for (const QStringList& face : xml.faces)
            for (const QString& id : face)
                used.insert(id.toInt());
        EXPECT_EQ(int(xml.faces.size()), 2 * site.cells);
        EXPECT_EQ(used, ids);
        return;
    }
    Dataset ds = open(file, GDAL_OF_RASTER);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetRasterXSize(), cols);
    ASSERT_EQ(ds->GetRasterYSize(), rows);
    double t[6];
    ASSERT_EQ(ds->GetGeoTransform(t), CE_None);
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
            // The pixel's centre is the node.
            EXPECT_DOUBLE_EQ(t[0] + (k + 0.5) * t[1], worldX(p.Georef, node.X));
            EXPECT_DOUBLE_EQ(t[3] + (r + 0.5) * t[5], worldY(p.Georef, node.Y));
        }
    OGRSpatialReference utm47;
    utm47.importFromEPSG(32647);
    EXPECT_EQ(ds->GetSpatialRef() && ds->GetSpatialRef()->IsSame(&utm47), c.epsg != 0);
}

INSTANTIATE_TEST_SUITE_P(Sites, SurfaceOut,
                         testing::Values(SiteCase{"xml", &None, 0.125, 0.0625, 0},
                                         SiteCase{"xml", &InsetL, 0.125, 0.0625, 0},
                                         SiteCase{"xml", &BorderL, 0.125, 0.0625, 32647},
                                         SiteCase{"xml", &BowTie, 0.125, 0.0625, 32647},
                                         SiteCase{"asc", &None, 0.125, 0.0625, 0},
                                         SiteCase{"asc", &InsetL, 0.125, 0.0625, 0},
                                         SiteCase{"asc", &BowTie, 0.125, 0.0625, 32647},
                                         SiteCase{"tif", &BorderL, 0.125, 0.0625, 32647}));

class ContoursOut : public testing::TestWithParam<SiteCase>
{
};

// Read back by GDAL, each level's lines are as long as the traced segments of the hill, or as
// the plane's line within the site's boxes, so nothing lies off the site; they sit on the index
// layer exactly when whole. The DXF also carries the title and draws the site's edge, closed,
// on its own layer.
TEST_P(ContoursOut, ReadsBackAsTraced)
{
    const SiteCase c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("site.") + QLatin1String(c.suffix));
    const Project p = writeOnASite(c, ExportKind::Contours, file);
    auto expected = c.site ? std::map<float, double>() : traced(p);
    for (double level = std::ceil(p.ElevMin * 2) / 2; c.site && level <= p.ElevMax; level += 0.5)
        for (const auto& box : c.site->boxes)
            expected[float(level)] += lengthIn(c.a, c.b, level - Base, box);
    QStringList texts;
    double drawn = 0;
    std::map<float, double> length;
    std::set<bool> kinds;
    for (const ReadLine& l : readLines(file, &texts, &drawn)) {
        ASSERT_TRUE(expected.count(l.elev)) << l.elev;
        EXPECT_EQ(l.index, std::floor(l.elev) == l.elev) << l.elev;
        length[l.elev] += l.length;
        kinds.insert(l.index);
    }
    EXPECT_EQ(kinds.size(), 2u);
    // The tracer rounds each crossing to a float; the exported lines are computed in double.
    for (const auto& [level, total] : expected)
        EXPECT_NEAR(length[level], total, total * 1e-6 + 1e-5) << level;
    if (QLatin1String(c.suffix) != QLatin1String("dxf"))
        return;
    EXPECT_TRUE(texts.contains(ThaiName)) << texts.join(u'|').toStdString();
    EXPECT_NEAR(drawn, c.site ? c.site->drawn : 0, 1e-6);
    QStringList args{QStringLiteral(DXF_CHECK), file, ThaiName};
    if (c.site && c.site->drawn > 0)
        args << QStringLiteral("--outline");
    for (const auto& [level, total] : expected)
        args << QString::number(level, 'g', 9);
    EXPECT_EQ(pythonCheck(args), QString());
}

// Per level, as ezdxf reads the DXF and GDAL the GeoPackage of the same project: as many lines,
// as many closed, as long. The GeoPackage's lines are traced whole before they are written,
// the DXF's a level at a time. The DXF's handles all lie below its $HANDSEED.
class DxfLevels : public testing::TestWithParam<SiteCase>
{
};

TEST_P(DxfLevels, MatchTheGeoPackage)
{
    const SiteCase c = GetParam();
    QTemporaryDir dir;
    const QString dxf = dir.filePath(QStringLiteral("site.dxf"));
    const QString gpkg = dir.filePath(QStringLiteral("site.gpkg"));
    writeOnASite(c, ExportKind::Contours, dxf);
    writeOnASite(c, ExportKind::Contours, gpkg);
    std::map<float, std::array<double, 3>> want; // lines, closed ones, length
    Dataset ds = open(gpkg, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    for (auto& feature : *ds->GetLayer(0)) {
        const auto* line = feature->GetGeometryRef()->toLineString();
        auto& w = want[float(feature->GetFieldAsDouble("elev"))];
        w[0] += 1, w[1] += line->get_IsClosed(), w[2] += line->get_Length();
    }
    QStringList args{QStringLiteral(DXF_LEVELS), dxf};
    for (const auto& [level, w] : want)
        args << QStringLiteral("%1:%2:%3:%4")
                    .arg(level, 0, 'g', 9)
                    .arg(w[0])
                    .arg(w[1])
                    .arg(w[2], 0, 'g', 12);
    EXPECT_EQ(pythonCheck(args), QString());
}

INSTANTIATE_TEST_SUITE_P(Sites, ContoursOut,
                         testing::Values(SiteCase{"dxf", nullptr, 0, 0, 0},
                                         SiteCase{"dxf", nullptr, 0, 0, 32647},
                                         SiteCase{"gpkg", nullptr, 0, 0, 0},
                                         SiteCase{"gpkg", nullptr, 0, 0, 32647},
                                         SiteCase{"shp", nullptr, 0, 0, 32647},
                                         SiteCase{"dxf", &InsetL, 0.125, 0.0625, 32647},
                                         SiteCase{"dxf", &BorderL, 0.125, 0, 0},
                                         SiteCase{"dxf", &BowTie, 0.125, 0.0625, 0},
                                         SiteCase{"gpkg", &InsetL, 0.0625, 0.125, 0},
                                         SiteCase{"gpkg", &BorderL, 0.0625, -0.125, 32647},
                                         SiteCase{"shp", &InsetL, -0.125, 0.0625, 32647},
                                         SiteCase{"shp", &BowTie, 0.125, 0.125, 0}));

INSTANTIATE_TEST_SUITE_P(Sites, DxfLevels,
                         testing::Values(SiteCase{"dxf", nullptr, 0, 0, 32647},
                                         SiteCase{"dxf", &InsetL, 0.125, 0.0625, 32647},
                                         SiteCase{"dxf", &BorderL, 0.125, 0, 0},
                                         SiteCase{"dxf", &BowTie, 0.125, 0.0625, 0}));

// A device that takes `room` bytes and refuses the rest, as a disk that fills.
class FillingDevice final : public QIODevice
{
public:
    explicit FillingDevice(qint64 room) : m_room(room) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (pos() + size > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return size;
    }

private:
    qint64 m_room;
};

// A disk that fills, before the first chunk or after it, fails the DXF with the device's reason
// and stops writing; never a success.
TEST(DxfStreamed, AFullDiskIsAFailure)
{
    const Project p = hillProject(false);
    for (const qint64 room : {qint64(0), qint64(3) << 19}) {
        ExportJob job{p, {}, {}, nullptr};
        job.contours.interval = 0.002f; // a file of several megabytes
        FillingDevice device(room);
        EXPECT_EQ(writeDxf(job, device), QStringLiteral("No space left on device")) << room;
    }
}

// Stopped between levels, an export leaves the old file as it was and no temporary; let run,
// it replaces it, having said how far it was level by level up to the whole.
TEST(DxfStreamed, CancelBetweenLevelsKeepsTheOldFile)
{
    const Project p = hillProject(true);
    for (const int stopAt : {1, 5, 0}) {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("hill.dxf"));
        ASSERT_TRUE(writeBytes(file, "the drawing that was there\n"));
        bool stop = false;
        std::vector<double> done;
        Progress progress(
            [&](double share) {
                done.push_back(share);
                stop = int(done.size()) == stopAt;
            },
            [&] { return stop; });
        const QString result = exportProject(p, *exportFormatOf(ExportKind::Contours, file), file,
                                             0.1f, {}, &progress);
        const QByteArray bytes = readBytes(file);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << stopAt;
        EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
        if (stopAt) {
            EXPECT_EQ(result, ExportCancelled);
            EXPECT_EQ(bytes, "the drawing that was there\n");
            EXPECT_EQ(int(done.size()), stopAt);
        } else {
            EXPECT_EQ(result, QString());
            EXPECT_TRUE(bytes.startsWith("  0\nSECTION\n")) << bytes.left(40).toStdString();
            EXPECT_EQ(done.back(), 1.0);
        }
    }
}

} // namespace
