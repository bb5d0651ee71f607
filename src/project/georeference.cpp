#include "project/georeference.h"

#include <QIODevice>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tervan {

QString georeferenceFileName(const QString& dataFileBase)
{
    return dataFileBase + QStringLiteral(".geo");
}

QByteArray writeGeoreference(const Georeference& g)
{
    QString text =
        QStringLiteral("easting = %1\nnorthing = %2\n")
            .arg(QString::number(g.easting, 'f', 4), QString::number(g.northing, 'f', 4));
    if (g.epsg > 0)
        text += QStringLiteral("crs = EPSG:%1\n").arg(g.epsg);
    if (!g.estimated.empty()) {
        QStringList nodes;
        for (const int n : g.estimated)
            nodes << QString::number(n);
        text += QStringLiteral("estimated = ") + nodes.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

std::variant<Georeference, QString> readGeoreference(QIODevice& in)
{
    // A georeference is a few lines; anything longer is not one.
    const QByteArray bytes = in.read(64 * 1024 + 1);
    if (bytes.size() > 64 * 1024)
        return QStringLiteral("แฟ้มใหญ่เกินไป");
    Georeference g;
    bool hasEasting = false, hasNorthing = false;
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
        bool ok = true;
        if (key == QLatin1String("easting") || key == QLatin1String("northing")) {
            const double v = QLocale::c().toDouble(value, &ok);
            ok = ok && std::isfinite(v);
            (key == QLatin1String("easting") ? g.easting : g.northing) = v;
            (key == QLatin1String("easting") ? hasEasting : hasNorthing) = ok;
        } else if (key == QLatin1String("crs")) {
            const QString code = value.toUpper().remove(QStringLiteral("EPSG:"));
            g.epsg = value.isEmpty() ? 0 : code.toInt(&ok);
            ok = ok && g.epsg >= 0;
        } else if (key == QLatin1String("estimated")) {
            for (const QString& n : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                g.estimated.push_back(n.trimmed().toInt(&ok));
                if (!ok || g.estimated.back() < 1)
                    break;
            }
            ok = ok && std::is_sorted(g.estimated.begin(), g.estimated.end());
        }
        if (!ok)
            return QStringLiteral("บรรทัดที่ %1: \"%2\" ใช้ไม่ได้").arg(i + 1).arg(value);
    }
    if (!hasEasting || !hasNorthing)
        return QStringLiteral("ไม่มีพิกัดจุดเริ่มต้น (easting, northing)");
    return g;
}

} // namespace tervan
