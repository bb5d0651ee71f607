#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QString>
#include <QStringList>

// Whole files in and out for tests: a file that cannot be written fails the write, one that
// cannot be read reads as empty.
inline bool writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList readLines(const QString& name)
{
    return QString::fromUtf8(readBytes(name)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A GeoJSON feature collection of (properties, geometry) pairs, each as JSON.
inline QByteArray featureCollection(const QList<std::pair<QByteArray, QByteArray>>& features)
{
    QByteArrayList out;
    for (const auto& [properties, geometry] : features)
        out << R"({"type":"Feature","properties":)" + properties + R"(,"geometry":)" + geometry +
                   "}";
    return R"({"type":"FeatureCollection","features":[)" + out.join(',') + "]}";
}
