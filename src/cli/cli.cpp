#include "cli/cli.h"

#include "cli/batchwords.h"
#include "cli/designcommands.h"
#include "cli/earthworkcommands.h"
#include "gis/gis.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "common/outputfile.h"
#include "common/version.h"
#include "grading/grading.h"
#include "grading/reportplan.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "printing/cairopdfbackend.h"
#include "printing/reports.h"
#include "project/heightscsv.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <charconv>
#include <cmath>
#include <string>

namespace tervan {

namespace {

const char Usage[] =
    "usage: tervan-cli info PROJECT\n"
    "       tervan-cli render grid|contour|surface PROJECT -o OUT.png [--size WxH] [--fit]\n"
    "                 [--angle A] [--exaggeration N] [--base-lowest] [--no-node-labels]\n"
    "                 [--along-labels] [--levels-from-zero]\n"
    "       tervan-cli contours PROJECT [--interval I] [--all-labels] [--summary]\n"
    "                 [--levels-from-zero]\n"
    "       tervan-cli contours PROJECT -o OUT.dxf|gpkg|shp|geojson [--interval I]\n"
    "                 [--along-labels] [--levels-from-zero]\n"
    "       tervan-cli grade PROJECT [--platform Z] [--csv]\n"
    "       tervan-cli print REPORT PROJECT -o OUT.pdf [--platform Z] [--no-node-labels]\n"
    "                 [--along-labels] [--levels-from-zero]\n"
    "       tervan-cli import PROJECT HEIGHTS.csv -o NEWPROJECT [--columns ORDER]\n"
    "       tervan-cli export PROJECT [-o OUT.csv|xml|asc|tif]\n"
    "       tervan-cli grid POINTS -o NEWPROJECT --spacing S [--origin X,Y] [--size ROWSxCOLS]\n"
    "                 [--method linear|idw|nearest] [--columns pnezd|penzd|nez|enz|xyz]\n"
    "                 [--crs EPSG:N] [--from-crs EPSG:N] [--datum-shift rtsd|EPSG:N]\n"
    "                 [--like PROJECT] [--interval I] [--breaklines FILE]\n"
    "                 [--exclude NAME,NAME,...] [--boundary FILE|concave|hull|none]\n"
    "                 [--name TEXT] [--engineer TEXT]\n"
    "       tervan-cli earthwork PROJECT [--platform Z] [--k K] [--slope-x SX --slope-y SY]\n"
    "                 [--csv]\n"
    "       tervan-cli balance PROJECT [--k K] [--slope-x SX --slope-y SY] [--curve N]\n"
    "       tervan-cli check PROJECT [--factor F] [--floor M]\n"
    "       tervan-cli render balance PROJECT -o OUT.png [--size WxH] [--k K] [--platform Z]\n"
    "       tervan-cli compare EXISTING DESIGN [--k K] [--csv]\n"
    "       tervan-cli pad PROJECT --level Z | --balance [--k K] --pad C0,R0,C1,R1\n"
    "                 --cut-slope HC --fill-slope HF [--csv]\n"
    "       tervan-cli pad PROJECT --pads FILE [--balance together|each] [--k K] [--csv]\n"
    "                 [--design NEWPROJECT]\n"
    "       tervan-cli render cutfill EXISTING [DESIGN | --pad ...] -o OUT.png [--size WxH]\n"
    "                 [--contours]\n"
    "       tervan-cli print cutfill EXISTING [DESIGN | --pad ...] -o OUT.pdf [--contours]\n"
    "                 [--all-cells]\n"
    "       tervan-cli sections EXISTING [DESIGN | --pad ... | --pads FILE]\n"
    "                 --line E1,N1,E2,N2[,...] [--every M] [--width W] [-o OUT.csv|pdf|dxf]\n"
    "       tervan-cli stakeout EXISTING [DESIGN | --pad ...] -o OUT.csv|txt|pdf [--every N]\n"
    "                 [--corners]\n"
    "       tervan-cli --help | --version\n"
    "         REPORT: control, nodes, data, grid, contour, graphics, grade-balanced,\n"
    "                 grade-fixed, grades\n";

const char Help[] =
    "\n"
    "Batch front end of Tervan: the window's pictures, contours, grading, earthwork and\n"
    "printed reports without a window. PROJECT is a project's name with or without .gnd;\n"
    "its .gnd and .nod files are read as the window's Open reads them. Lengths and\n"
    "elevations are in metres, areas in m2, volumes in m3 (fill negative).\n"
    "\n"
    "Commands:\n"
    "  info PROJECT\n"
    "      Prints the heading (project, engineer, rows, cols, spacing, nodes, contour\n"
    "      interval), then one line per node: node N X Y Z.\n"
    "  render grid|contour|surface PROJECT -o OUT.png\n"
    "      Draws the window's picture of the project into a PNG image.\n"
    "      --size WxH    image size in pixels (default 1600x1000; each side at most\n"
    "                    10000, at most 50000000 pixels in all)\n"
    "      --fit         the fit-to-screen view instead of the normal view\n"
    "      --angle A     surface view angle in whole degrees, 0 to 180 (default 35)\n"
    "      --exaggeration N  surface heights N times, 1 to 100 (default 1)\n"
    "      --base-lowest the surface's base at the lowest node instead of 0 m\n"
    "      --no-node-labels  no node numbers or elevations (they are left out anyway\n"
    "                    where cells are too narrow for them)\n"
    "      --along-labels    whole contour levels also labelled along their lines\n"
    "      --levels-from-zero  contour levels at whole multiples of the interval (95, 100,\n"
    "                    105), index levels at multiples of five intervals (also for\n"
    "                    print and contours)\n"
    "  contours PROJECT\n"
    "      Prints what the contour tracer draws, one item a line: level Z, point X Y,\n"
    "      line X1 Y1 X2 Y2, label bottom|right|top|left X Y.\n"
    "      --interval I  contour interval in metres (default: the project's)\n"
    "      --all-labels  label every level, not only whole metres\n"
    "      --summary     print only the counts of levels, points, lines and labels\n"
    "  contours PROJECT -o OUT\n"
    "      Writes the contours as polylines with their elevations, in world coordinates:\n"
    "      DXF (layers CONTOUR-INDEX, CONTOUR, CONTOUR-LABEL, GRID, NODES, TITLE),\n"
    "      GeoPackage or Shapefile (fields elev, index), GeoJSON (longitude/latitude,\n"
    "      georeferenced projects only); the format by the suffix.\n"
    "      --along-labels    DXF: whole levels also labelled along their lines\n"
    "  grade PROJECT\n"
    "      Prints the grading result as the result dialog shows it: area, platform\n"
    "      elevation, total cut and fill, then each cell's mean elevation and volume.\n"
    "      --platform Z  platform elevation in metres (default: the balanced platform)\n"
    "      --csv         one line per cell: cell,mean_elevation_m,volume_m3\n"
    "  print REPORT PROJECT -o OUT.pdf\n"
    "      Prints the report's pages into one A4 PDF file. On a grid without cells,\n"
    "      grades holds the fixed report alone, says the balanced one is missing on\n"
    "      stderr and ends with status 1.\n"
    "      --platform Z  platform elevation in metres for the fixed grade (default 0)\n"
    "      --no-node-labels  grid and contour pages without node labels\n"
    "      --along-labels    contour pages with whole levels labelled along their lines\n"
    "  import PROJECT HEIGHTS.csv -o NEWPROJECT\n"
    "      Takes the node heights from a CSV file and saves the result as NEWPROJECT;\n"
    "      prints how many heights it took and the nodes the file left as they were, or\n"
    "      the bad lines of the file (the first 200, then how many more).\n"
    "      --columns ORDER  which coordinate each column holds when the file has no\n"
    "                    header naming them: xyz (= enz), nez, pxyz (= penz), pnez,\n"
    "                    penzd or pnezd; p point name, e/x east, n/y north, z height,\n"
    "                    d description\n"
    "  export PROJECT [-o OUT]\n"
    "      Writes node, X, Y and height as CSV (to standard output without -o); X and Y\n"
    "      are world coordinates when the project is georeferenced. By the suffix of OUT\n"
    "      also LandXML 1.2 TIN (.xml), ESRI ASCII grid (.asc) or GeoTIFF (.tif).\n"
    "  grid POINTS -o NEWPROJECT --spacing S\n"
    "      Makes a new project from survey points (CSV/TXT, or a DXF, Shapefile,\n"
    "      GeoPackage, GeoJSON, GPX or KML file) and prints the counts, the residuals of\n"
    "      the shots against the grid, the coordinate system and datum shift used\n"
    "      (crs EPSG:N|none   datum-shift NAME|none), the area of the site inside the\n"
    "      grid (area M2 RAI-NGAN-WA   outside NODES), every node estimated outside the\n"
    "      site's outline, then each shot suspected of a blunder, largest first\n"
    "      (suspect NAME RESIDUAL: its height less the surface the other shots make, beyond\n"
    "      5 times the median of these and at least 0.05 m). Coordinates are taken to the\n"
    "      millimetre before the grid is laid out, so the same shots in any system give the\n"
    "      same grid.\n"
    "      --origin X,Y        node 1 in world coordinates (default: the points' extent\n"
    "                          rounded down to the spacing)\n"
    "      --size ROWSxCOLS    nodes north and east (default: cover every point)\n"
    "      --method M          linear (default), idw (12 nearest) or nearest\n"
    "      --columns ORDER     column order of a text file without a header\n"
    "      --crs EPSG:N        the project's coordinate system; points are projected into it\n"
    "                          (default: the UTM zone of latitude/longitude points, else\n"
    "                          the points' own system)\n"
    "      --from-crs EPSG:N   the points' system when the file does not say; required for\n"
    "                          latitude/longitude text (a header naming them, or values\n"
    "                          that can only be degrees): EPSG:4326 for WGS 84\n"
    "      --datum-shift S     between WGS 84 and Indian 1975: rtsd (default: the Royal\n"
    "                          Thai Survey Department's dX 206, dY 837, dZ 295) or the EPSG\n"
    "                          code of a transformation (EPSG:1812); kept with the project\n"
    "      --like PROJECT      the grid of a georeferenced project (origin, spacing, rows,\n"
    "                          columns and system), so two surveys compare node for node\n"
    "      --interval I        contour interval (default: a round value, 20 to 60 levels)\n"
    "      --name TEXT         the project's name in every heading (default: the points\n"
    "                          file's name); --engineer TEXT the engineer's (40 characters)\n"
    "      --breaklines FILE   3D lines the ground breaks along (DXF 3D polylines or\n"
    "                          LWPOLYLINEs with an elevation, SHP, GPKG, GeoJSON LineString\n"
    "                          Z): with linear, triangle edges follow them; lines without\n"
    "                          heights, or crossing at different heights, are refused\n"
    "      --exclude NAMES     shots left out before gridding (comma separated names)\n"
    "      --boundary B        the site: concave (default: follows the shots in, so the\n"
    "                          missing corner of an L-shaped site stays out), hull (their\n"
    "                          convex hull), none (the whole grid), or a file holding one\n"
    "                          closed polygon or polyline (DXF, SHP, GPKG, GeoJSON, KML).\n"
    "                          Kept with the project; volumes count only the ground inside\n"
    "                          it, and say the area they cover\n"
    "  earthwork PROJECT\n"
    "      Prints the four-corner and the gross cut and fill (each cell split where the\n"
    "      ground meets the platform), the cut x K and the net (cut x K + fill: left\n"
    "      over when positive, short when negative), the area they cover (area M2\n"
    "      RAI-NGAN-WA: inside the site's outline when the project has one), then each\n"
    "      cell's gross cut, fill and net volume.\n"
    "      --platform Z  platform elevation in metres at the grid's centre (default: the\n"
    "                    gross balance)\n"
    "      --k K         compaction factor: cut x K balances the fill (default 1)\n"
    "      --slope-x SX, --slope-y SY\n"
    "                    platform slope in percent towards +X and +Y (default 0)\n"
    "      --csv         one line per cell: cell,gross_cut_m3,gross_fill_m3,net_m3\n"
    "  balance PROJECT\n"
    "      Prints the balanced platform and the volume one centimetre of platform moves.\n"
    "      --k, --slope-x, --slope-y  as for earthwork\n"
    "      --curve N     also N points of the balance curve: Z, cut, fill, net (default 0,\n"
    "                    at most 10000)\n"
    "  check PROJECT\n"
    "      Prints the heights that stand out from their neighbours: node, height, median.\n"
    "      --factor F    times the grid's median deviation (default 5)\n"
    "      --floor M     and at least M metres (default 0.5)\n"
    "  render balance PROJECT -o OUT.png\n"
    "      Draws the balance curve into a PNG image.\n"
    "      --size WxH    image size in pixels (default 1200x800; limits as for render)\n"
    "      --k K         compaction factor (default 1)\n"
    "      --platform Z  marks a platform elevation in metres on the curve\n"
    "  compare EXISTING DESIGN\n"
    "      Prints the cut and fill between the existing ground and a design surface on\n"
    "      the same grid (DESIGN: a project, or a heights CSV file for EXISTING's grid),\n"
    "      each cell split where the surfaces cross, beside the four-corner figures;\n"
    "      then each cell's cut, fill and net. Net is cut x K + fill.\n"
    "      --k K         compaction factor (default 1)\n"
    "      --csv         one line per cell: cell,cut_m3,fill_m3,net_m3\n"
    "      --missing-ground  nodes a DESIGN heights file leaves out keep the ground\n"
    "                    (else such a file is refused, naming how many and the first)\n"
    "  pad PROJECT\n"
    "      A level pad on a rectangle of nodes whose edges run out to the ground on\n"
    "      side slopes: its level and the volume one centimetre of it moves, cut, fill,\n"
    "      net and the border nodes the slope runs past, then each cell.\n"
    "      --pad C0,R0,C1,R1  first and last node column and row, from 0 (column 0\n"
    "                    at the left edge, row 0 at the bottom edge)\n"
    "      --level Z     the pad's elevation in metres, or\n"
    "      --balance     the elevation at which cut x K equals the fill\n"
    "      --cut-slope HC, --fill-slope HF\n"
    "                    horizontal metres per metre of height (1.5 for 1.5:1)\n"
    "      --k, --csv    as for compare\n"
    "      --pads FILE   pads of any outline instead: polygons (GeoJSON, GPKG, SHP, DXF)\n"
    "                    in the project's coordinates with the fields name, level (at\n"
    "                    the centroid; empty to balance), cut_slope, fill_slope (run\n"
    "                    per rise), fall (% cross-fall) and fall_bearing (degrees from\n"
    "                    north, downhill); a line per pad: level, cut, fill, area\n"
    "      --balance together|each  with --pads: every level moved by one amount, or\n"
    "                    each pad without a level balanced on its own\n"
    "      --design NEWPROJECT  with --pads: the design surface saved as a project\n"
    "  render cutfill EXISTING [DESIGN | --pad ...] -o OUT.png\n"
    "      Draws the cut/fill map against DESIGN or a pad (options as for pad).\n"
    "      --size WxH    image size in pixels (default 1600x1000)\n"
    "      --contours    cut and fill contours at the project's contour interval\n"
    "  print cutfill EXISTING [DESIGN | --pad ...] -o OUT.pdf\n"
    "      Prints the figures, the plan areas of cut and fill and the map, then the\n"
    "      table of the cells with cut or fill and their total, into an A4 PDF.\n"
    "      --all-cells   every cell in the table, those with neither too\n"
    "  sections EXISTING [DESIGN | --pad ... | --pads FILE] --line E1,N1,E2,N2[,...]\n"
    "      Cross-sections along the line (project coordinates) every M metres (default\n"
    "      10) and at every break, W metres wide (default 20): each station's cut and\n"
    "      fill areas, between stations the volumes by average end areas (aea) and by\n"
    "      the prismoidal formula (prism), the totals and the grid's own gross figures\n"
    "      for the strip the sections sweep. Fill is given positive. -o OUT.csv the\n"
    "      table (chainage,cut_area,fill_area,cut_aea,fill_aea,cut_prism,fill_prism),\n"
    "      -o OUT.pdf the section sheets, the long profile and the table printed,\n"
    "      -o OUT.dxf the sections and the long profile as polylines.\n"
    "  stakeout EXISTING [DESIGN | --pad ...] -o OUT\n"
    "      The stakes to set out: every node inside the works (where the design\n"
    "      differs from the ground, and the whole pad) with its E, N, ground level,\n"
    "      design level and cut/fill (cut positive). OUT.csv has the header\n"
    "      name,e,n,ground,design,cutfill; OUT.txt is P,N,E,Z,D for total stations (Z\n"
    "      the design level, D the ground level and the cut or fill); OUT.pdf the\n"
    "      cut sheet. Metres to the millimetre.\n"
    "      --every N     every Nth node in each direction (default every node)\n"
    "      --corners     a pad's corners and daylight points instead of its nodes\n"
    "\n"
    "Options:\n"
    "  -h, --help     this text\n"
    "  -v, --version  the program's version\n"
    "\n"
    "An option given twice is bad usage. Outputs (-o) must be regular files: a FIFO,\n"
    "device or folder is refused and left as it is.\n"
    "\n"
    "Exit status: 0 done; 1 the project could not be used or a file not written (the\n"
    "reason goes to stderr); 2 bad usage.\n";

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

int info(const Project& p, QTextStream& out)
{
    out << "project: " << withoutTrailingBlanks(p.ProjectName) << '\n'
        << "engineer: " << withoutTrailingBlanks(p.EngineerName) << '\n'
        << "rows: " << p.GridRows << '\n'
        << "cols: " << p.GridCols << '\n'
        << "spacing: " << p.GridSpacing << '\n'
        << "nodes: " << p.NodeCount << '\n'
        << "interval: " << generalForm(p.ContourInterval) << '\n';
    for (int n = 1; n <= p.NodeCount; ++n) {
        const NodePoint& node = p.Nodes[n];
        out << "node " << n << ' ' << formatPicture(node.X, 0) << ' ' << formatPicture(node.Y, 0)
            << ' ' << formatPicture(node.Z, 2) << '\n';
    }
    return 0;
}

struct RenderOptions
{
    QString picture;
    QString project;
    QString output;
    QSize size{1600, 1000};
    bool fit = false;
    qint16 angle = 35;
    qint16 exaggeration = 1;
    bool baseLowest = false;
    bool alongLabels = false;
    bool levelsFromZero = false;
    NodeLabels labels;
};

// The label choice of --no-node-labels: none, or the window's first-start choice.
NodeLabels nodeLabelsOf(const Words& w)
{
    return w.has("--no-node-labels") ? NodeLabels{false, false, false} : NodeLabels{};
}

std::optional<RenderOptions> readRenderOptions(const QStringList& args, QString& problem)
{
    const auto w = readWords(
        args, {"-o", "--size", "--angle", "--exaggeration"},
        {"--fit", "--base-lowest", "--no-node-labels", "--along-labels", "--levels-from-zero"},
        problem);
    if (!w)
        return std::nullopt;
    if (w->names.size() != 2 || !QStringList{"grid", "contour", "surface"}.contains(w->names[0])) {
        problem = QStringLiteral("render needs grid, contour, surface or balance, and a project");
        return std::nullopt;
    }
    RenderOptions o;
    o.picture = w->names[0];
    o.project = w->names[1];
    o.output = w->values.value("-o");
    o.fit = w->has("--fit");
    o.baseLowest = w->has("--base-lowest");
    o.alongLabels = w->has("--along-labels");
    o.levelsFromZero = w->has("--levels-from-zero");
    o.labels = nodeLabelsOf(*w);
    if (o.output.isEmpty()) {
        problem = QStringLiteral("render needs -o OUT.png");
        return std::nullopt;
    }
    if (w->values.contains("--size")) {
        const auto size = readImageSize(w->values.value("--size"));
        if (!size) {
            w->refuse("--size", ImageSizeWords);
            problem = w->problem;
            return std::nullopt;
        }
        o.size = *size;
    }
    bool bad = false;
    if (const auto angle = w->number("--angle", bad)) {
        const auto whole = roundToInt16(*angle);
        if (!whole || *whole < 0 || *whole > 180)
            bad = !w->refuse("--angle", "a whole number of degrees from 0 to 180");
        else
            o.angle = *whole;
    }
    if (const auto times = w->number("--exaggeration", bad)) {
        const auto whole = roundToInt16(*times);
        if (!whole || *whole < 1 || *whole > 100 || *whole != *times)
            bad = !w->refuse("--exaggeration", "a whole number from 1 to 100");
        else
            o.exaggeration = *whole;
    }
    problem = w->problem;
    return bad ? std::nullopt : std::optional<RenderOptions>(o);
}

// The picture of the window, drawn by the same code on an image the world window fills.
int render(const RenderOptions& o, QTextStream& err)
{
    if (!outputUsable(o.output, err))
        return 1;
    auto project = openProject(o.project, err);
    if (!project)
        return 1;
    Project& p = *project;
    p.DisplayMode = PictureKind(QStringList{"grid", "contour", "surface"}.indexOf(o.picture) + 1);
    p.RotationAngle = o.angle;
    p.SurfaceExaggeration = o.exaggeration;
    p.SurfaceBaseLowest = o.baseLowest;
    p.ContourLabelsAlong = o.alongLabels;
    p.ContourLevelsFromZero = o.levelsFromZero;
    if (o.fit)
        fitScreen(p);
    auto image = newImage(o.size, err);
    if (!image)
        return 1;
    {
        ImageSurface surface(*image);
        Redraw(surface, p, o.labels);
    }
    if (!savePng(*image, o.output, err))
        return 1;
    // The picture is saved without its contours, as the window shows it, and the run fails.
    if (p.DisplayMode == PictureKind::GridWithContours) {
        if (const QString notice = contourNotice(contourLevels(p, p.ContourInterval));
            !notice.isEmpty())
            return fail(err) << notice << '\n', 1;
    }
    return 0;
}

// Prints what the tracer reports, one item a line, or only the counts.
class PrintedContours final : public ContourSink
{
public:
    PrintedContours(QTextStream& out, bool summary) : m_out(out), m_summary(summary) {}

    void level(float level, int) override
    {
        ++m_levels;
        item("level", {level});
    }
    void point(float x, float y) override
    {
        ++m_points;
        item("point", {x, y});
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        ++m_lines;
        item("line", {x1, y1, x2, y2});
    }
    void label(Border border, float x, float y, float) override
    {
        static const char* const names[] = {"label bottom", "label right", "label top",
                                            "label left"};
        ++m_labels;
        item(names[int(border)], {x, y});
    }
    void finish()
    {
        flush();
        if (m_summary)
            m_out << "levels " << m_levels << " points " << m_points << " lines " << m_lines
                  << " labels " << m_labels << '\n';
    }

private:
    // A million items for a fine interval: numbers go straight into a byte buffer.
    void item(const char* name, std::initializer_list<float> numbers)
    {
        if (m_summary)
            return;
        m_buffer += name;
        for (float v : numbers) {
            char digits[32];
            m_buffer += ' ';
            m_buffer.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        }
        m_buffer += '\n';
        if (m_buffer.size() > (1 << 20))
            flush();
    }
    void flush()
    {
        m_out << QLatin1String(m_buffer.data(), qsizetype(m_buffer.size()));
        m_buffer.clear();
    }

    QTextStream& m_out;
    bool m_summary;
    std::string m_buffer;
    qint64 m_levels = 0, m_points = 0, m_lines = 0, m_labels = 0;
};

int contours(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString problem;
    const auto w = readWords(args, {"--interval"},
                             {"--all-labels", "--summary", "--levels-from-zero"}, problem);
    bool bad = false;
    const auto interval = w ? w->floatNumber("--interval", bad) : std::nullopt;
    if (!w || bad || w->names.size() != 1)
        return usageError(err, Usage, w, problem);
    const bool summary = w->has("--summary"), allLabels = w->has("--all-labels");
    const QString& name = w->names[0];
    auto project = openProject(name, err);
    if (!project)
        return 1;
    project->ContourLevelsFromZero = w->has("--levels-from-zero");
    const float step = interval ? float(*interval) : project->ContourInterval;
    if (const QString notice = contourNotice(contourLevels(*project, step)); !notice.isEmpty())
        return fail(err) << notice << '\n', 1;
    PrintedContours sink(out, summary);
    TraceContours(*project, step,
                  allLabels ? ContourEmphasis::EveryLevel : ContourEmphasis::WholeLevels, sink);
    sink.finish();
    return 0;
}

// The grading result as the result dialog shows it, or as a spreadsheet.
int grade(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString problem;
    const auto w = readWords(args, {"--platform"}, {"--csv"}, problem);
    bool bad = false;
    const auto platform = w ? w->platform(bad) : std::nullopt;
    if (!w || bad || w->names.size() != 1)
        return usageError(err, Usage, w, problem);
    const bool csv = w->has("--csv");
    const QString& name = w->names[0];
    auto project = openProject(name, err);
    if (!project)
        return 1;
    Project& p = *project;
    if (!p.HasNodes()) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    // A platform so far off that the volumes overflow is refused as the window refuses it.
    if (platform && !PlatformGradeable(p, float(*platform))) {
        fail(err) << msg::InputError << '\n';
        return 1;
    }
    if (platform) {
        p.FixGradeElevation = float(*platform);
        if (!FixGradeElev(p)) {
            fail(err) << msg::DataIncomplete << '\n';
            return 1;
        }
    } else if (!AutoGradeElev(p)) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    const bool fixed = platform.has_value();
    const auto& means = fixed ? p.FixCellMeanElev : p.AutoCellMeanElev;
    const auto& volumes = fixed ? p.FixCellVolume : p.AutoCellVolume;
    if (csv) {
        out << "cell,mean_elevation_m,volume_m3\n";
        for (qint32 n = 1; n <= p.CellCount; ++n)
            out << n << ',' << formatPicture(means[n], 3) << ',' << formatPicture(volumes[n], 2)
                << '\n';
        return 0;
    }
    out << "area " << generalForm(p.TotalArea) << '\n'
        << "platform " << formatPicture(fixed ? p.FixGradeElevation : p.AutoGradeElevation, 3)
        << '\n'
        << "cut " << formatPicture(fixed ? p.FixCutVolume : p.AutoCutVolume, 2) << '\n'
        << "fill " << formatPicture(fixed ? p.FixFillVolume : p.AutoFillVolume, 2) << '\n';
    for (qint32 n = 1; n <= p.CellCount; ++n)
        out << "cell " << n << ' ' << formatPicture(means[n], 3) << ' '
            << formatPicture(volumes[n], 2) << '\n';
    return 0;
}

// Every page of one print command into one PDF, through the same report code as the window.
int print(const QStringList& args, QTextStream& err)
{
    QString problem;
    const auto w = readWords(args, {"-o", "--platform"},
                             {"--no-node-labels", "--along-labels", "--levels-from-zero"}, problem);
    bool bad = false;
    const auto platform = w ? w->platform(bad) : std::nullopt;
    if (!w || bad)
        return usageError(err, Usage, w, problem);
    const QStringList& positional = w->names;
    const QString output = w->values.value("-o");
    // Report name: menu family and item index ("all" is 4).
    static const QHash<QString, std::pair<char, int>> reports{
        {"control", {'d', 1}},        {"nodes", {'d', 2}},       {"data", {'d', 4}},
        {"grid", {'g', 1}},           {"contour", {'g', 2}},     {"graphics", {'g', 4}},
        {"grade-balanced", {'r', 1}}, {"grade-fixed", {'r', 2}}, {"grades", {'r', 4}}};
    if (positional.size() != 2 || output.isEmpty())
        return usageError(err, Usage,
                          QStringLiteral("print needs a report, a project and -o OUT.pdf"));
    if (!reports.contains(positional[0]))
        return usageError(err, Usage, QStringLiteral("'%1' is not a report").arg(positional[0]));
    const auto [family, index] = reports.value(positional[0]);
    if (!outputUsable(output, err))
        return 1;
    auto project = openProject(positional[1], err);
    if (!project)
        return 1;
    Project& p = *project;
    if (platform)
        p.FixGradeElevation = float(*platform);
    p.ContourLabelsAlong = w->has("--along-labels");
    p.ContourLevelsFromZero = w->has("--levels-from-zero");
    const ReportPlan plan = planReport(p,
                                       family == 'd'   ? ReportFamily::Data
                                       : family == 'g' ? ReportFamily::Graphics
                                                       : ReportFamily::Grades,
                                       index);
    if (plan.refused) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }

    // A report left out is told as the window tells it, once the rest is written.
    QString notice = plan.leftOut ? msg::DataIncomplete : QString();
    if (const QString failed = savePdf(output,
                                       [&](PageSurface& page) {
                                           if (family == 'd')
                                               DataPrint(page, p, plan.index);
                                           else if (family == 'g')
                                               notice = GraphicPrint(page, p, plan.index,
                                                                     nodeLabelsOf(*w));
                                           else
                                               GradePrint(page, p, plan.index);
                                       });
        !failed.isEmpty()) {
        fail(err) << failed << '\n';
        return 1;
    }
    if (!notice.isEmpty())
        return fail(err) << notice << '\n', 1;
    return 0;
}

// Heights from a CSV file into a copy of the project, saved under a new name; all or nothing.
int importHeights(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString problem;
    const auto w =
        readWords(args, {QStringLiteral("-o"), QStringLiteral("--columns")}, {}, problem);
    if (!w || w->names.size() != 2 || !w->values.contains(QStringLiteral("-o")))
        return usageError(err, Usage, w, problem);
    if (const ProjectFileNames out = projectFileNames(w->values.value(QStringLiteral("-o")));
        !outputUsable(out.gnd, err) || !outputUsable(out.nod, err))
        return 1;
    HeightsCsvOptions options;
    if (w->values.contains(QStringLiteral("--columns"))) {
        options.columns = columnsFromCode(w->values.value(QStringLiteral("--columns")));
        if (!options.columns) {
            w->refuse("--columns", "one of xyz, enz, nez, pxyz, penz, pnez, penzd, pnezd");
            return usageError(err, Usage, w, problem);
        }
    }
    auto project = openProject(w->names[0], err);
    if (!project)
        return 1;
    const QString csvName = w->names[1];
    const QString shown = QDir::toNativeSeparators(csvName);
    QFile csv(csvName);
    if (!QFileInfo(csvName).isFile() || !csv.open(QIODevice::ReadOnly)) {
        fail(err) << msg::cannotOpenFile(shown) << '\n';
        return 1;
    }
    const HeightsRead read = readHeightsCsv(csv, *project, options);
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        for (const HeightLineError& e : *errors) {
            fail(err) << shown;
            if (e.line > 0)
                err << ':' << e.line;
            err << ": " << e.reason << '\n';
        }
        return 1;
    }
    if (const auto* unknown = std::get_if<ColumnOrderUnknown>(&read)) {
        fail(err) << shown << ": " << columnOrderQuestion() << " (--columns "
                  << (unknown->fields == 3   ? "xyz|nez"
                      : unknown->fields == 4 ? "pxyz|pnez"
                                             : "penzd|pnezd")
                  << ")\n";
        return 1;
    }
    const auto& taken = std::get<HeightsTaken>(read);
    applyHeights(*project, taken.heights);
    const ProjectFileNames target = projectFileNames(w->values.value(QStringLiteral("-o")));
    if (const auto failed = saveProjectPair(*project, target)) {
        fail(err) << saveFailureText(*failed, target) << '\n';
        return 1;
    }
    out << "imported " << taken.heights.size() << '\n';
    for (const QString& note : taken.notes)
        out << note << '\n';
    const std::vector<int> missing = nodesNotGiven(*project, taken.heights);
    if (!missing.empty())
        out << "not in the file, left as they were: " << missing.size()
            << " nodes: " << nodeRuns(missing).join(QStringLiteral(", ")) << '\n';
    return 0;
}

int exportHeights(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString problem;
    const auto w = readWords(args, {QStringLiteral("-o")}, {}, problem);
    if (!w || w->names.size() != 1)
        return usageError(err, Usage, w, problem);
    const auto project = openProject(w->names[0], err, ProjectUse::WorldCoordinates);
    if (!project)
        return 1;
    const QByteArray bytes = writeHeightsCsv(*project);
    if (!w->values.contains(QStringLiteral("-o"))) {
        out << QString::fromUtf8(bytes);
        return 0;
    }
    const QString name = w->values.value(QStringLiteral("-o"));
    if (!outputUsable(name, err))
        return 1;
    if (const QString failed = writeOutputBytes(name, bytes); !failed.isEmpty()) {
        fail(err) << failed << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString command = args.value(0);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h")) ||
        command == QLatin1String("help")) {
        out << Usage << Help;
        return 0;
    }
    if (args.contains(QLatin1String("--version")) || args.contains(QLatin1String("-v"))) {
        out << "tervan-cli " << TERVAN_VERSION << '\n';
        return 0;
    }
    if (const int status = runDesignCommand(args, out, err, Usage); status >= 0)
        return status;
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("info")) {
        QString problem;
        const auto w = readWords(rest, {}, {}, problem);
        if (!w || w->names.size() != 1)
            return usageError(err, Usage, w, problem);
        const auto project = openProject(w->names[0], err);
        return project ? info(*project, out) : 1;
    }
    if (command == QLatin1String("print"))
        return print(rest, err);
    if (command == QLatin1String("grade"))
        return grade(rest, out, err);
    // Contours and surfaces written to a file go through GDAL; a summary does not.
    if ((command == QLatin1String("contours") || command == QLatin1String("export")) &&
        args.contains(QLatin1String("-o"))) {
        if (const int status = gis().runExchangeCommand(args, out, err, Usage); status >= 0)
            return status;
    }
    if (command == QLatin1String("contours"))
        return contours(rest, out, err);
    if (command == QLatin1String("import"))
        return importHeights(rest, out, err);
    if (command == QLatin1String("export"))
        return exportHeights(rest, out, err);
    if (command == QLatin1String("grid"))
        return gis().gridFromPoints(rest, out, err, Usage);
    if (const int status = runEarthworkCommand(args, out, err, Usage); status >= 0)
        return status;
    if (command == QLatin1String("render")) {
        QString problem;
        const auto options = readRenderOptions(rest, problem);
        return options ? render(*options, err) : usageError(err, Usage, problem);
    }
    return usageError(err, Usage,
                      command.isEmpty() ? QStringLiteral("no command given")
                                        : QStringLiteral("'%1' is not a command").arg(command));
}

} // namespace tervan
