#include "project/georeference.h"

#include "common/boundedread.h"

#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace tervan {

QString georeferenceFileName(const QString& dataFileBase)
{
    return dataFileBase + QStringLiteral(".geo");
}

QByteArray writeGeoreference(const Georeference& g, const GeoGrid& grid)
{
    QString text = QStringLiteral("easting = %1\nnorthing = %2\ngrid = %3 x %4 x %5\n")
                       .arg(QString::number(g.easting, 'f', 4), QString::number(g.northing, 'f', 4))
                       .arg(grid.rows)
                       .arg(grid.cols)
                       .arg(grid.spacing);
    if (g.epsg > 0)
        text += QStringLiteral("crs = EPSG:%1\n").arg(g.epsg);
    // One line, whatever the survey put in it.
    if (const QString shift = g.datumShift.simplified(); !shift.isEmpty())
        text += QStringLiteral("datum-shift = ") + shift + QLatin1Char('\n');
    if (!g.outline.empty()) {
        QStringList corners;
        for (const auto& [e, n] : g.outline)
            corners << QString::number(e, 'f', 3) + QLatin1Char(' ') + QString::number(n, 'f', 3);
        text +=
            QStringLiteral("outline = ") + corners.join(QStringLiteral(", ")) + QLatin1Char('\n');
    }
    if (!g.estimated.empty()) {
        QStringList nodes;
        for (const int n : g.estimated)
            nodes << QString::number(n);
        text += QStringLiteral("estimated = ") + nodes.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

namespace {

// Node numbers, each at least 1 and greater than the one before; no empty items.
bool readNodeList(const QString& value, std::vector<int>& nodes)
{
    for (const QString& item : value.split(QLatin1Char(','))) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok || n < 1 || (!nodes.empty() && n <= nodes.back()))
            return false;
        nodes.push_back(n);
    }
    return true;
}

// "E N, E N, ..." of three corners or more, every number finite.
bool readOutline(const QString& value, std::vector<std::pair<double, double>>& outline)
{
    for (const QString& corner : value.split(QLatin1Char(','))) {
        const QStringList en = corner.simplified().split(QLatin1Char(' '));
        bool okE = false, okN = false;
        const double e = en.size() == 2 ? QLocale::c().toDouble(en[0], &okE) : 0;
        const double n = en.size() == 2 ? QLocale::c().toDouble(en[1], &okN) : 0;
        if (!okE || !okN || !std::isfinite(e) || !std::isfinite(n))
            return false;
        outline.emplace_back(e, n);
    }
    return outline.size() >= 3;
}

std::optional<int> readEpsg(const QString& value)
{
    static const QRegularExpression code(QStringLiteral("^EPSG:([0-9]{1,9})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = code.match(value);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n > 0 ? std::optional(n) : std::nullopt;
}

std::optional<GeoGrid> readGrid(const QString& value)
{
    const QStringList parts =
        value.split(QLatin1Char('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    if (parts.size() != 3)
        return std::nullopt;
    int v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || v[i] < 0)
            return std::nullopt;
    }
    return GeoGrid{v[0], v[1], v[2]};
}

} // namespace

std::variant<Georeference, QString> readGeoreference(QIODevice& in, const GeoGrid& grid)
{
    // A georeference is a few lines, the longest listing every node or an outline's corners;
    // anything longer is not one.
    constexpr qint64 Longest = 4 * 1024 * 1024;
    const std::optional<QByteArray> read = readAtMost(in, Longest);
    if (!read)
        return QStringLiteral("แฟ้มใหญ่เกินไป");
    const QByteArray& bytes = *read;
    Georeference g;
    std::optional<GeoGrid> savedWith;
    int estimatedLine = 0;
    QStringList seen;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return QStringLiteral("บรรทัดที่ %1 ไม่มีเครื่องหมาย =").arg(i + 1);
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        static const QStringList known = {"easting",     "northing",  "grid",   "crs",
                                          "datum-shift", "estimated", "outline"};
        if (!known.contains(key))
            continue;
        // Two values for one thing: which one was meant cannot be told.
        if (seen.contains(key))
            return QStringLiteral("บรรทัดที่ %1: \"%2\" ซ้ำ").arg(i + 1).arg(key);
        seen << key;
        bool ok = true;
        if (key == QLatin1String("easting") || key == QLatin1String("northing")) {
            const double v = QLocale::c().toDouble(value, &ok);
            ok = ok && std::isfinite(v);
            (key == QLatin1String("easting") ? g.easting : g.northing) = v;
        } else if (key == QLatin1String("grid")) {
            savedWith = readGrid(value);
            ok = savedWith.has_value();
        } else if (key == QLatin1String("crs")) {
            const auto epsg = readEpsg(value);
            g.epsg = epsg.value_or(0);
            ok = epsg.has_value();
        } else if (key == QLatin1String("datum-shift")) {
            g.datumShift = value;
        } else if (key == QLatin1String("outline")) {
            ok = readOutline(value, g.outline);
        } else {
            ok = readNodeList(value, g.estimated);
            estimatedLine = i + 1;
        }
        if (!ok)
            return QStringLiteral("บรรทัดที่ %1: \"%2\" ใช้ไม่ได้").arg(i + 1).arg(value);
    }
    if (!seen.contains(QLatin1String("easting")) || !seen.contains(QLatin1String("northing")))
        return QStringLiteral("ไม่มีพิกัดจุดเริ่มต้น (easting, northing)");
    if (savedWith && (savedWith->rows != grid.rows || savedWith->cols != grid.cols ||
                      savedWith->spacing != grid.spacing))
        return QStringLiteral("เป็นของกริด %1 × %2 ระยะ %3 ม. ไม่ใช่กริดของโครงการนี้")
            .arg(savedWith->rows)
            .arg(savedWith->cols)
            .arg(savedWith->spacing);
    const qint64 nodeCount = qint64(grid.rows) * grid.cols;
    if (!g.estimated.empty() && g.estimated.back() > nodeCount)
        return QStringLiteral("บรรทัดที่ %1: จุดที่ %2 เกินจำนวนจุดของกริด (%3 จุด)")
            .arg(estimatedLine)
            .arg(g.estimated.back())
            .arg(nodeCount);
    return g;
}

} // namespace tervan
