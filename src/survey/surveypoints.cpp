#include "survey/surveypoints.h"

#include "common/numbertext.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <cmath>
#include <gdal.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

constexpr qint64 MaxBytes = 64 * 1024 * 1024;

QString decoded(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QStringDecoder("windows-874").decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

struct TextRow
{
    int line;
    QStringList fields;
};

std::vector<TextRow> splitRows(const QByteArray& bytes)
{
    QStringList lines = decoded(bytes).split(QLatin1Char('\n'));
    QChar separator = QLatin1Char(' ');
    for (const QChar candidate : {QChar(u'\t'), QChar(u';'), QChar(u',')})
        if (std::any_of(lines.cbegin(), lines.cend(),
                        [&](const QString& l) { return l.contains(candidate); })) {
            separator = candidate;
            break;
        }
    std::vector<TextRow> rows;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        QStringList fields = separator == QLatin1Char(' ')
                                 ? line.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                 : line.split(separator);
        for (QString& f : fields) {
            f = f.trimmed();
            if (f.size() >= 2 && f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')))
                f = f.mid(1, f.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        }
        rows.push_back({i + 1, fields});
    }
    return rows;
}

std::optional<double> numberOf(const QString& field)
{
    static const QLocale plain = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        return c;
    }();
    bool ok = false;
    const double v = plain.toDouble(withAsciiDigits(field.trimmed()), &ok);
    return ok && std::isfinite(v) ? std::optional(v) : std::nullopt;
}

// A header's column words, in English or Thai.
std::optional<PointColumns> columnsFromHeader(const QStringList& header)
{
    PointColumns c{-1, -1, -1, -1};
    const auto is = [](const QString& word, std::initializer_list<const char16_t*> names) {
        for (const char16_t* n : names)
            if (word.compare(QString::fromUtf16(n), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (int i = 0; i < header.size(); ++i) {
        const QString w = header[i].trimmed();
        if (is(w, {u"p", u"pt", u"point", u"name", u"id", u"no", u"จุด", u"ชื่อจุด", u"หมุด"}))
            c.name = i;
        else if (is(w, {u"e", u"x", u"easting", u"east", u"ตะวันออก", u"พิกัดตะวันออก"}))
            c.x = i;
        else if (is(w, {u"n", u"y", u"northing", u"north", u"เหนือ", u"พิกัดเหนือ"}))
            c.y = i;
        else if (is(w, {u"z", u"h", u"elevation", u"elev", u"height", u"rl", u"ระดับ", u"ค่าระดับ"}))
            c.z = i;
    }
    if (c.x < 0 || c.y < 0 || c.z < 0)
        return std::nullopt;
    return c;
}

} // namespace

std::optional<PointColumns> columnsNamed(const QString& word)
{
    const PointColumns orders[] = {
        {0, 2, 1, 3}, {0, 1, 2, 3}, {-1, 1, 0, 2}, {-1, 0, 1, 2}, {-1, 0, 1, 2}};
    const qsizetype i = ColumnOrderWords.indexOf(word.toLower());
    return i < 0 ? std::nullopt : std::optional(orders[i]);
}

PointsRead readPointsText(QIODevice& in, std::optional<PointColumns> columns)
{
    const QByteArray bytes = in.read(MaxBytes + 1);
    if (bytes.size() > MaxBytes)
        return std::vector<HeightLineError>{{0, QStringLiteral("แฟ้มใหญ่เกินไป")}};
    std::vector<TextRow> rows = splitRows(bytes);
    if (!rows.empty() && std::none_of(rows.front().fields.cbegin(), rows.front().fields.cend(),
                                      [](const QString& f) { return numberOf(f).has_value(); })) {
        if (const auto named = columnsFromHeader(rows.front().fields))
            columns = named;
        rows.erase(rows.begin());
    }
    if (!columns && !rows.empty())
        columns = *columnsNamed(rows.front().fields.size() >= 4 ? QStringLiteral("pnezd")
                                                                : QStringLiteral("xyz"));
    PointsFile file;
    std::vector<HeightLineError> errors;
    for (const TextRow& row : rows) {
        const PointColumns& c = *columns;
        const int needed = std::max({c.name, c.x, c.y, c.z}) + 1;
        if (row.fields.size() < needed) {
            errors.push_back(
                {row.line,
                 QStringLiteral("มี %1 ช่อง ต้องมีอย่างน้อย %2 ช่อง").arg(row.fields.size()).arg(needed)});
            continue;
        }
        SurveyPoint p;
        p.name = c.name >= 0 ? row.fields[c.name] : QString::number(row.line);
        bool good = true;
        for (const auto& [field, value] : {std::pair{c.x, &p.x}, {c.y, &p.y}, {c.z, &p.z}}) {
            const auto v = numberOf(row.fields[field]);
            if (!v) {
                errors.push_back(
                    {row.line, QStringLiteral("\"%1\" ไม่ใช่ตัวเลข").arg(row.fields[field])});
                good = false;
                break;
            }
            *value = *v;
        }
        if (good)
            file.points.push_back(p);
    }
    if (!errors.empty())
        return errors;
    return file;
}

std::vector<QStringList> previewFields(QIODevice& in, int lines)
{
    std::vector<QStringList> out;
    for (TextRow& row : splitRows(in.read(64 * 1024))) {
        if (int(out.size()) == lines)
            break;
        out.push_back(std::move(row.fields));
    }
    return out;
}

bool isTextPointsFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("csv") || suffix == QLatin1String("txt");
}

namespace {

struct DatasetClose
{
    void operator()(GDALDataset* d) const { GDALClose(d); }
};

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

PointsRead readPointsFile(const QString& fileName, std::optional<PointColumns> columns)
{
    if (isTextPointsFile(fileName)) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return std::vector<HeightLineError>{{0, file.errorString()}};
        return readPointsText(file, columns);
    }
    GDALAllRegister();
    std::unique_ptr<GDALDataset, DatasetClose> data(GDALDataset::Open(
        fileName.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr));
    if (!data)
        return std::vector<HeightLineError>{
            {0, QStringLiteral("อ่านแฟ้มนี้ไม่ได้: %1").arg(QString::fromUtf8(CPLGetLastErrorMsg()))}};
    PointsFile file;
    std::vector<HeightLineError> errors;
    for (OGRLayer* layer : data->GetLayers()) {
        if (const OGRSpatialReference* srs = layer->GetSpatialRef(); srs && file.crs.isEmpty()) {
            char* wkt = nullptr;
            srs->exportToWkt(&wkt);
            file.crs = QString::fromUtf8(wkt);
            CPLFree(wkt);
        }
        for (const auto& feature : *layer) {
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!g)
                continue;
            // DXF text sits on a point; it is a label, not a shot.
            if (const int text = feature->GetFieldIndex("Text");
                text >= 0 && feature->IsFieldSetAndNotNull(text) &&
                *feature->GetFieldAsString(text) != '\0')
                continue;
            const auto flat = wkbFlatten(g->getGeometryType());
            const QString name = nameOf(*feature);
            if (flat == wkbPoint) {
                const auto* p = g->toPoint();
                const auto z = g->Is3D() ? std::optional(p->getZ()) : elevationField(*feature);
                if (!z) {
                    errors.push_back(
                        {int(feature->GetFID()), QStringLiteral("จุด %1 ไม่มีค่าระดับ").arg(name)});
                    continue;
                }
                file.points.push_back({name, p->getX(), p->getY(), *z});
            } else if (g->Is3D() && (flat == wkbLineString || flat == wkbMultiLineString)) {
                // The vertices of a 3D polyline are shots along a break line.
                int vertex = 0;
                const auto take = [&](const OGRLineString& line) {
                    for (const OGRPoint& p : line)
                        file.points.push_back({QStringLiteral("%1.%2").arg(name).arg(++vertex),
                                               p.getX(), p.getY(), p.getZ()});
                };
                if (flat == wkbLineString)
                    take(*g->toLineString());
                else
                    for (const OGRLineString* line : *g->toMultiLineString())
                        take(*line);
            }
        }
    }
    if (!errors.empty())
        return errors;
    return file;
}

} // namespace tervan
