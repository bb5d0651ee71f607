#pragma once

#include "survey/surveypoints.h"

#include <QFile>
#include <QString>
#include <cmath>
#include <random>

// Scattered shots over ground whose height is known everywhere, at UTM-like coordinates.
namespace surveysites {

constexpr double East = 652000, North = 1524000;

inline double plane(double x, double y)
{
    return 100 + 0.012 * (x - East) - 0.021 * (y - North);
}
inline double curved(double x, double y)
{
    return 50 + 4 * std::sin((x - East) / 35) * std::cos((y - North) / 45);
}

// n shots over a w x h metre site, the four corners among them so that their outline covers
// the whole site.
inline std::vector<tervan::SurveyPoint> scattered(int n, double w, double h,
                                                  double (*z)(double, double))
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<tervan::SurveyPoint> points;
    for (const auto& [cx, cy] : {std::pair{0.0, 0.0}, {w, 0.0}, {0.0, h}, {w, h}})
        points.push_back({QString::number(points.size() + 1), East + cx, North + cy, 0});
    while (int(points.size()) < n)
        points.push_back(
            {QString::number(points.size() + 1), East + u(random) * w, North + u(random) * h, 0});
    for (auto& p : points)
        p.z = z(p.x, p.y);
    return points;
}

// P,N,E,Z,D lines as a total station writes them.
inline QByteArray pnezd(const std::vector<tervan::SurveyPoint>& points)
{
    QByteArray text = "P,N,E,Z,D\r\n";
    for (const auto& p : points)
        text += QStringLiteral("%1,%2,%3,%4,shot\r\n")
                    .arg(p.name)
                    .arg(p.y, 0, 'f', 4)
                    .arg(p.x, 0, 'f', 4)
                    .arg(p.z, 0, 'f', 4)
                    .toUtf8();
    return text;
}

// Shots every 5 m over an L: a 100 m square without its north-east quarter.
inline QByteArray lShapedSite()
{
    QByteArray csv = "Point,Easting,Northing,Elevation\n";
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 20; ++j)
            if (i <= 10 || j <= 10)
                csv += QStringLiteral("p%1-%2,%3,%4,%5\n")
                           .arg(i)
                           .arg(j)
                           .arg(East + 5 * i, 0, 'f', 3)
                           .arg(North + 5 * j, 0, 'f', 3)
                           .arg(100 + 0.1 * i + 0.05 * j)
                           .toUtf8();
    return csv;
}

inline void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace surveysites
