#include "grading/sectiontexts.h"

#include "common/numbertext.h"

namespace tervan {

namespace {

QStringList sectionRow(const SectionsResult& r, std::size_t i)
{
    const Section& s = r.stations[i];
    QStringList row{formatPicture(s.chainage, 3), formatPicture(s.cutArea, 2),
                    formatPicture(s.fillArea, 2)};
    if (i == 0)
        return row << QString() << QString() << QString() << QString();
    const SectionVolume& v = r.volumes[i - 1];
    return row << formatPicture(v.cutEndAreas, 2) << formatPicture(v.fillEndAreas, 2)
               << formatPicture(v.cutPrismoidal, 2) << formatPicture(v.fillPrismoidal, 2);
}

} // namespace

TableTexts sectionsTable(const SectionsResult& r)
{
    TableTexts table;
    table.headings = {QStringLiteral("ระยะสะสม"), QStringLiteral("พื้นที่ตัด"),
                      QStringLiteral("พื้นที่ถม"),    QStringLiteral("ตัด เฉลี่ย"),
                      QStringLiteral("ถม เฉลี่ย"),  QStringLiteral("ตัด ปริซึม"),
                      QStringLiteral("ถม ปริซึม")};
    table.columns = {2.0, 4.3, 6.6, 8.9, 11.3, 13.7, 16.1};
    table.rows = int(r.stations.size());
    // The table may outlive the caller's result on a print worker: it keeps its own copy.
    table.row = [r](int i) { return sectionRow(r, std::size_t(i)); };
    return table;
}

QByteArray sectionsCsv(const SectionsResult& r)
{
    QByteArray csv = "chainage,cut_area,fill_area,cut_aea,fill_aea,cut_prism,fill_prism\n";
    for (std::size_t i = 0; i < r.stations.size(); ++i)
        csv += sectionRow(r, i).join(QLatin1Char(',')).toUtf8() + '\n';
    return csv;
}

std::vector<SummaryLine> sectionsSummary(const SectionsResult& r, double every, double width)
{
    const QString m3 = QStringLiteral("ลบ.ม.");
    return {{QStringLiteral("ระยะห่างหน้าตัด"), formatPicture(every, 2), QStringLiteral("เมตร")},
            {QStringLiteral("ความกว้างหน้าตัด"), formatPicture(width, 2), QStringLiteral("เมตร")},
            {QStringLiteral("ดินตัด (เฉลี่ยพื้นที่ปลาย)"), formatPicture(r.total.cutEndAreas, 2), m3},
            {QStringLiteral("ดินถม (เฉลี่ยพื้นที่ปลาย)"), formatPicture(r.total.fillEndAreas, 2), m3},
            {QStringLiteral("ดินตัด (ปริซึม)"), formatPicture(r.total.cutPrismoidal, 2), m3},
            {QStringLiteral("ดินถม (ปริซึม)"), formatPicture(r.total.fillPrismoidal, 2), m3}};
}

} // namespace tervan
