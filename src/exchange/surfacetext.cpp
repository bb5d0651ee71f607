// The surface as LandXML, for stake-out instruments.
#include "common/version.h"
#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "project/project.h"

#include <QDateTime>
#include <QXmlStreamWriter>
#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <vector>

namespace tervan {

namespace {

// Shortest text that reads back as the same number.
template <typename T> QByteArray shortest(T value)
{
    char digits[32];
    return QByteArray(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

} // namespace

QByteArray landXmlBytes(const ExportJob& job)
{
    const Project& p = job.project;
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("LandXML"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.landxml.org/schema/LandXML-1.2"));
    xml.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                       QStringLiteral("xsi"));
    xml.writeAttribute(QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"),
                       QStringLiteral("schemaLocation"),
                       QStringLiteral("http://www.landxml.org/schema/LandXML-1.2 "
                                      "http://www.landxml.org/schema/LandXML-1.2/LandXML-1.2.xsd"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeAttribute(QStringLiteral("date"), job.date.toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("time"), job.time.toString(QStringLiteral("HH:mm:ss")));

    xml.writeStartElement(QStringLiteral("Units"));
    xml.writeEmptyElement(QStringLiteral("Metric"));
    xml.writeAttribute(QStringLiteral("areaUnit"), QStringLiteral("squareMeter"));
    xml.writeAttribute(QStringLiteral("linearUnit"), QStringLiteral("meter"));
    xml.writeAttribute(QStringLiteral("volumeUnit"), QStringLiteral("cubicMeter"));
    xml.writeAttribute(QStringLiteral("temperatureUnit"), QStringLiteral("celsius"));
    xml.writeAttribute(QStringLiteral("pressureUnit"), QStringLiteral("HPA"));
    xml.writeAttribute(QStringLiteral("angularUnit"), QStringLiteral("decimal degrees"));
    xml.writeAttribute(QStringLiteral("directionUnit"), QStringLiteral("decimal degrees"));
    xml.writeEndElement();

    if (p.Georef && p.Georef->epsg > 0) {
        xml.writeEmptyElement(QStringLiteral("CoordinateSystem"));
        xml.writeAttribute(QStringLiteral("epsgCode"), QString::number(p.Georef->epsg));
    }
    const QString name = headingText(p.ProjectName);
    xml.writeEmptyElement(QStringLiteral("Project"));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeEmptyElement(QStringLiteral("Application"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("Tervan"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral(TERVAN_VERSION));

    // The two triangles of each cell the contours are traced on, split from lower left to
    // upper right; outside the site's outline there is no ground, so a triangle with a corner
    // there is left out, and so are the points no triangle uses.
    const int cols = p.GridCols, count = p.GridRows * cols;
    std::vector<std::array<int, 3>> faces;
    faces.reserve(std::size_t(2 * (p.GridRows - 1) * (cols - 1)));
    for (int i = 1; i < p.GridRows; ++i) {
        for (int k = 1; k < cols; ++k) {
            const int ll = (i - 1) * cols + k, lr = ll + 1, ur = ll + cols + 1, ul = ll + cols;
            for (const std::array<int, 3>& face : {std::array{ll, lr, ur}, std::array{ll, ur, ul}})
                if (!job.outline || std::all_of(face.begin(), face.end(),
                                                [&](int n) { return job.outline->nodeInside(n); }))
                    faces.push_back(face);
        }
    }
    std::vector<bool> used(std::size_t(count) + 1, !job.outline);
    float elevMin = p.ElevMin, elevMax = p.ElevMax;
    if (job.outline) {
        for (const auto& face : faces)
            for (int n : face)
                used[std::size_t(n)] = true;
        elevMin = std::numeric_limits<float>::max();
        elevMax = std::numeric_limits<float>::lowest();
        for (int n = 1; n <= count; ++n) {
            if (used[std::size_t(n)]) {
                elevMin = std::min(elevMin, p.Nodes[n].Z);
                elevMax = std::max(elevMax, p.Nodes[n].Z);
            }
        }
        if (elevMin > elevMax) // no face on the site
            elevMin = elevMax = 0;
    }

    xml.writeStartElement(QStringLiteral("Surfaces"));
    xml.writeStartElement(QStringLiteral("Surface"));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeStartElement(QStringLiteral("Definition"));
    xml.writeAttribute(QStringLiteral("surfType"), QStringLiteral("TIN"));
    xml.writeAttribute(QStringLiteral("elevMin"), QString::fromLatin1(shortest(elevMin)));
    xml.writeAttribute(QStringLiteral("elevMax"), QString::fromLatin1(shortest(elevMax)));
    xml.writeStartElement(QStringLiteral("Pnts"));
    for (int n = 1; n <= count; ++n) {
        if (!used[std::size_t(n)])
            continue;
        const NodePoint& node = p.Nodes[n];
        xml.writeStartElement(QStringLiteral("P"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(n));
        xml.writeCharacters(QString::fromLatin1(shortest(worldY(p.Georef, node.Y)) + ' ' +
                                                shortest(worldX(p.Georef, node.X)) + ' ' +
                                                shortest(node.Z)));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Faces"));
    for (const auto& [a, b, c] : faces)
        xml.writeTextElement(QStringLiteral("F"), QStringLiteral("%1 %2 %3").arg(a).arg(b).arg(c));
    xml.writeEndDocument();
    return bytes;
}

} // namespace tervan
