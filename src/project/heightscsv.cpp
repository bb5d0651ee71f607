#include "project/heightscsv.h"

#include "common/numbertext.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tervan {

namespace {

// Far more than the largest grid's file; a bigger file is not a list of heights.
constexpr qint64 MaxBytes = 16 * 1024 * 1024;

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder thai("windows-874");
        text = thai.decode(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QChar separatorOf(const QStringList& lines)
{
    for (const QChar candidate : {QChar(u'\t'), QChar(u';')}) {
        for (const QString& line : lines)
            if (line.contains(candidate))
                return candidate;
    }
    return QLatin1Char(',');
}

// A plain number, Thai digits allowed; nothing else on the field.
std::optional<double> numberOf(const QString& field)
{
    const QString text = withAsciiDigits(field.trimmed());
    // Group separators would read "100,878" as a hundred thousand.
    static const QLocale plain = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        return c;
    }();
    bool ok = false;
    const double value = plain.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

HeightsRead readHeightsCsv(QIODevice& in, const Project& p)
{
    std::vector<HeightLineError> errors;
    const QByteArray bytes = in.read(MaxBytes + 1);
    if (bytes.size() > MaxBytes)
        return std::vector<HeightLineError>{{0, QStringLiteral("แฟ้มใหญ่เกินไป")}};

    QStringList lines = decode(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    const QChar separator = separatorOf(lines);

    struct Row
    {
        int line;
        QStringList fields;
    };
    std::vector<Row> rows;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        rows.push_back({i + 1, lines[i].split(separator)});
    }
    // A first line without any number is a header.
    if (!rows.empty() && std::none_of(rows.front().fields.cbegin(), rows.front().fields.cend(),
                                      [](const QString& f) { return numberOf(f).has_value(); }))
        rows.erase(rows.begin());
    if (rows.empty())
        return std::vector<HeightLineError>{{0, QStringLiteral("ไม่มีค่าระดับในแฟ้ม")}};

    const qsizetype columns = rows.front().fields.size();
    if (columns > 4)
        return std::vector<HeightLineError>{
            {rows.front().line,
             QStringLiteral("มี %1 ช่อง: ต้องเป็น ค่าระดับ / จุดที่ ค่าระดับ / X Y Z / ชื่อจุด X Y Z")
                 .arg(columns)}};
    const bool byPosition = columns >= 3;
    const double spacing = p.GridSpacing;
    if (byPosition && spacing <= 0)
        return std::vector<HeightLineError>{
            {0, QStringLiteral("ระยะกริดเป็น 0 จึงจับคู่พิกัดกับจุดกริดไม่ได้")}};

    std::vector<NodeHeight> heights;
    std::vector<int> givenOn(std::size_t(p.NodeCount) + 1, 0);
    for (const Row& row : rows) {
        const auto bad = [&](const QString& reason) { errors.push_back({row.line, reason}); };
        if (row.fields.size() != columns) {
            bad(QStringLiteral("มี %1 ช่อง ไม่เท่ากับบรรทัดแรก (%2 ช่อง)")
                    .arg(row.fields.size())
                    .arg(columns));
            continue;
        }
        // Numeric fields: all but a point name.
        std::vector<double> values;
        bool numeric = true;
        for (qsizetype f = columns == 4 ? 1 : 0; f < columns; ++f) {
            const auto v = numberOf(row.fields[f]);
            if (!v) {
                bad(QStringLiteral("\"%1\" ไม่ใช่ตัวเลข").arg(row.fields[f].trimmed()));
                numeric = false;
                break;
            }
            values.push_back(*v);
        }
        if (!numeric)
            continue;
        const auto z = float(values.back());
        if (!std::isfinite(z)) {
            bad(QStringLiteral("ค่าระดับใหญ่เกินไป"));
            continue;
        }

        int node = 0;
        if (columns == 1) {
            node = int(heights.size() + errors.size()) + 1;
            if (node > p.NodeCount) {
                bad(QStringLiteral("เกินจำนวนจุดของกริด (%1 จุด)").arg(p.NodeCount));
                continue;
            }
        } else if (columns == 2) {
            const double n = values[0];
            if (n != std::floor(n) || n < 1 || n > p.NodeCount) {
                bad(QStringLiteral("ไม่มีจุดที่ %1 ในกริด (จุดที่ 1 ถึง %2)")
                        .arg(row.fields[0].trimmed())
                        .arg(p.NodeCount));
                continue;
            }
            node = int(n);
        } else {
            // A georeferenced grid takes world coordinates.
            const double x = values[0] - worldX(p.Georef, 0), y = values[1] - worldY(p.Georef, 0);
            const double col = std::nearbyint(x / spacing), r = std::nearbyint(y / spacing);
            const double tolerance = 0.01 * spacing;
            if (col < 0 || col >= p.GridCols || r < 0 || r >= p.GridRows ||
                std::abs(x - col * spacing) > tolerance || std::abs(y - r * spacing) > tolerance) {
                bad(QStringLiteral("จุด (%1, %2) ไม่ตรงกับจุดกริดใด")
                        .arg(row.fields[columns - 3].trimmed(), row.fields[columns - 2].trimmed()));
                continue;
            }
            node = int(r) * p.GridCols + int(col) + 1;
        }
        if (givenOn[node] != 0) {
            bad(QStringLiteral("จุดที่ %1 ซ้ำกับบรรทัดที่ %2").arg(node).arg(givenOn[node]));
            continue;
        }
        givenOn[node] = row.line;
        heights.push_back({node, z});
    }
    if (columns == 1 && errors.empty() && qsizetype(heights.size()) < p.NodeCount)
        errors.push_back({0, QStringLiteral("มีค่าระดับ %1 ค่า น้อยกว่าจำนวนจุด %2 จุด")
                                 .arg(heights.size())
                                 .arg(p.NodeCount)});
    if (!errors.empty())
        return errors;
    return heights;
}

void applyHeights(Project& p, const std::vector<NodeHeight>& heights)
{
    for (const NodeHeight& h : heights)
        if (h.node >= 1 && h.node <= p.NodeCount && std::size_t(h.node) < p.Nodes.size())
            p.Nodes[h.node].Z = h.z;
    if (p.NodeCount > 0)
        p.ComputeElevationRange();
}

QByteArray writeHeightsCsv(const Project& p)
{
    QString text = QStringLiteral("node,x,y,elevation\n");
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int n = 1; n <= count; ++n) {
        const NodePoint& node = p.Nodes[n];
        // World coordinates are too large for a float's shortest text to keep millimetres.
        const auto coordinate = [&](double grid, double world) {
            return p.Georef ? QString::number(world, 'f', 3) : shortestText(float(grid));
        };
        text += QStringLiteral("%1,%2,%3,%4\n")
                    .arg(n)
                    .arg(coordinate(node.X, worldX(p.Georef, node.X)),
                         coordinate(node.Y, worldY(p.Georef, node.Y)), shortestText(node.Z));
    }
    return text.toUtf8();
}

} // namespace tervan
