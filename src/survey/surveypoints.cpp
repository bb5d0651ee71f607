#include "survey/surveypoints.h"
#include "survey/vectorfile.h"

#include "common/boundedread.h"
#include "common/numbertext.h"
#include "survey/coordinates.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <gdal.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

constexpr qint64 MaxBytes = 64 * 1024 * 1024;

struct TextRows
{
    CsvSeparator separator = CsvSeparator::Comma;
    struct Row
    {
        int line;
        CsvSplit split;
    };
    std::vector<Row> rows;
};

// No survey line has more fields than this; more is not a points file.
constexpr qsizetype MaxFields = 64;

TextRows splitRows(const QByteArray& bytes)
{
    QStringList lines = decodeCsvText(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    TextRows out;
    out.separator = detectCsvSeparator(lines.mid(0, 50));
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty())
            out.rows.push_back({i + 1, splitCsvLine(lines[i], out.separator, MaxFields)});
    return out;
}

} // namespace

PointsRead readPointsText(QIODevice& in, std::optional<CsvColumns> columns)
{
    const std::optional<QByteArray> bytes = readAtMost(in, MaxBytes);
    if (!bytes)
        return std::vector<HeightLineError>{{0, QStringLiteral("แฟ้มใหญ่เกินไป")}};
    TextRows text = splitRows(*bytes);
    auto& rows = text.rows;
    const auto isNumber = [&](const QString& f) {
        return readCsvNumber(f, text.separator).kind == CsvNumber::Kind::Number;
    };
    bool namedDegrees = false;
    if (!rows.empty() && std::none_of(rows.front().split.fields.cbegin(),
                                      rows.front().split.fields.cend(), isNumber)) {
        if (const auto named = columnsFromHeader(rows.front().split.fields)) {
            columns = named;
            namedDegrees = named->geographic;
        }
        rows.erase(rows.begin());
    }
    if (!columns && !rows.empty())
        columns = columnsFromCode(rows.front().split.fields.size() >= 4 ? u"pnez" : u"xyz");
    PointsFile file;
    std::vector<HeightLineError> errors;
    for (const auto& [line, split] : rows) {
        const CsvColumns& c = *columns;
        const qsizetype needed = std::max({c.name, c.east, c.north, c.elevation}) + 1;
        if (split.problem != CsvSplit::Problem::None) {
            errors.push_back({line, split.problem == CsvSplit::Problem::TooManyFields
                                        ? QStringLiteral("มีช่องมากเกินไป")
                                        : QStringLiteral("เครื่องหมายคำพูดไม่ครบคู่")});
            continue;
        }
        if (split.fields.size() < needed) {
            errors.push_back({line, QStringLiteral("มี %1 ช่อง ต้องมีอย่างน้อย %2 ช่อง")
                                        .arg(split.fields.size())
                                        .arg(needed)});
            continue;
        }
        SurveyPoint p;
        p.name = c.name >= 0 ? split.fields[c.name] : QString::number(line);
        bool good = true;
        for (const auto& [field, value] :
             {std::pair{c.east, &p.x}, {c.north, &p.y}, {c.elevation, &p.z}}) {
            const CsvNumber v = readCsvNumber(split.fields[field], text.separator);
            if (v.kind != CsvNumber::Kind::Number) {
                errors.push_back(
                    {line,
                     QStringLiteral("\"%1\" ไม่ใช่ตัวเลข").arg(shownField(split.fields[field]))});
                good = false;
                break;
            }
            *value = v.value;
        }
        if (good)
            file.points.push_back(p);
    }
    if (!errors.empty())
        return errors;
    if (file.points.size() < 3)
        return std::vector<HeightLineError>{
            {0, QStringLiteral("มีจุดสำรวจ %1 จุด ต้องมีอย่างน้อย 3 จุด").arg(file.points.size())}};
    file.geographic = namedDegrees || looksLikeDegrees(file.points);
    return file;
}

std::vector<QStringList> previewFields(QIODevice& in, int lines)
{
    std::vector<QStringList> out;
    for (auto& row : splitRows(in.read(64 * 1024)).rows) {
        if (int(out.size()) == lines)
            break;
        out.push_back(std::move(row.split.fields));
    }
    return out;
}
bool isTextPointsFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("csv") || suffix == QLatin1String("txt");
}

namespace {

// A 2D point's elevation from the field a GPS or GIS file keeps it in.
std::optional<double> elevationField(const OGRFeature& f)
{
    for (const char* name : {"ele", "elevation", "z", "height", "elev"}) {
        const int i = f.GetFieldIndex(name);
        if (i >= 0 && f.IsFieldSetAndNotNull(i))
            return f.GetFieldAsDouble(i);
    }
    return std::nullopt;
}

// A label, not a shot: DXF text and anything GDAL styles as one.
bool isText(const OGRFeature& f)
{
    if (const char* style = f.GetStyleString(); style && QByteArray(style).startsWith("LABEL"))
        return true;
    const int text = f.GetFieldIndex("Text");
    return text >= 0 && f.IsFieldSetAndNotNull(text) && *f.GetFieldAsString(text) != '\0';
}

// Why GDAL could not open a file, in Thai; its own English message only as a detail.
QString unreadableReason(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("เปิดแฟ้มไม่ได้: %1").arg(file.errorString());
    if (file.read(22).startsWith("AutoCAD Binary DXF"))
        return QStringLiteral(
            "เป็นแฟ้ม DXF แบบไบนารี ให้บันทึกจากโปรแกรม CAD เป็น DXF แบบข้อความ (ASCII) ก่อน");
    const QString detail = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
    return QStringLiteral("ไม่รู้จักรูปแบบของแฟ้มนี้ อ่านจุดสำรวจไม่ได้") +
           (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
}

QString nameOf(const OGRFeature& f)
{
    for (const char* field : {"name", "Name", "NAME", "id", "EntityHandle"}) {
        const int i = f.GetFieldIndex(field);
        if (i >= 0 && f.IsFieldSetAndNotNull(i))
            return QString::fromUtf8(f.GetFieldAsString(i));
    }
    return QString::number(f.GetFID());
}

} // namespace

PointsRead readPointsFile(const QString& fileName, std::optional<CsvColumns> columns)
{
    if (isTextPointsFile(fileName)) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return std::vector<HeightLineError>{{0, file.errorString()}};
        return readPointsText(file, columns);
    }
    const VectorFile data = openVectorFile(fileName);
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (!data)
        return std::vector<HeightLineError>{{0, unreadableReason(fileName)}};
    PointsFile file;
    std::vector<HeightLineError> errors;
    for (OGRLayer* layer : data->GetLayers()) {
        takeLayerCrs(*layer, file.crs);
        for (const auto& feature : *layer) {
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!g)
                continue;
            if (isText(*feature))
                continue;
            const auto flat = wkbFlatten(g->getGeometryType());
            const QString name = nameOf(*feature);
            // A number too large for a double reads as infinite; no grid holds it.
            const auto take = [&](const QString& shot, double x, double y, double z) {
                if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z))
                    file.points.push_back({shot, x, y, z});
                else
                    errors.push_back({int(feature->GetFID()),
                                      QStringLiteral("จุด %1 มีพิกัดหรือค่าระดับที่ไม่ใช่ตัวเลข").arg(shot)});
            };
            if (flat == wkbPoint) {
                const auto* p = g->toPoint();
                const auto z = g->Is3D() ? std::optional(p->getZ()) : elevationField(*feature);
                if (!z) {
                    errors.push_back(
                        {int(feature->GetFID()), QStringLiteral("จุด %1 ไม่มีค่าระดับ").arg(name)});
                    continue;
                }
                take(name, p->getX(), p->getY(), *z);
            } else if (g->Is3D() && (flat == wkbLineString || flat == wkbMultiLineString)) {
                // The vertices of a 3D polyline are shots along a break line; a line lying
                // wholly at 0 is a drawing's (grid, frame), not ground.
                std::vector<const OGRLineString*> lines;
                if (flat == wkbLineString)
                    lines.push_back(g->toLineString());
                else
                    for (const OGRLineString* line : *g->toMultiLineString())
                        lines.push_back(line);
                const bool flatAtZero = std::all_of(lines.begin(), lines.end(), [](auto* line) {
                    for (int i = 0; i < line->getNumPoints(); ++i)
                        if (line->getZ(i) != 0)
                            return false;
                    return true;
                });
                if (flatAtZero) {
                    ++file.flatLinesSkipped;
                    continue;
                }
                int vertex = 0;
                for (const OGRLineString* line : lines)
                    for (const OGRPoint& p : *line)
                        take(QStringLiteral("%1.%2").arg(name).arg(++vertex), p.getX(), p.getY(),
                             p.getZ());
            }
        }
    }
    if (!errors.empty())
        return errors;
    file.geographic = file.crs.isEmpty() && looksLikeDegrees(file.points);
    return file;
}

} // namespace tervan
