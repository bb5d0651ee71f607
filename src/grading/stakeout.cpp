#include "grading/stakeout.h"

#include "common/numbertext.h"
#include "project/project.h"

#include <algorithm>

#include <cmath>

namespace tervan {

namespace {

constexpr double Works = 0.0005; // less than this is no work: it rounds to 0.000

StakePoint stakeAt(const Project& p, QString name, double x, double y, double ground, double design)
{
    return {std::move(name), worldX(p.Georef, x), worldY(p.Georef, y), ground, design};
}

QByteArray metres(double v)
{
    // No "-0.000" for a depth that rounds to nothing.
    const double rounded = std::round(v * 1000) / 1000;
    return QByteArray::number(rounded == 0 ? 0.0 : rounded, 'f', 3);
}

} // namespace

std::vector<StakePoint> nodeStakes(const Project& p, const EarthworkGrid& ground,
                                   const EarthworkGrid& design, const std::optional<PadRect>& pad,
                                   int every)
{
    std::vector<StakePoint> out;
    every = std::max(1, every);
    for (int r = 0; r < ground.rows; r += every)
        for (int c = 0; c < ground.cols; c += every) {
            const std::size_t i = std::size_t(r) * ground.cols + c;
            const bool onPad = pad && c >= pad->c0 && c <= pad->c1 && r >= pad->r0 && r <= pad->r1;
            if (!onPad && std::abs(ground.h[i] - design.h[i]) < Works)
                continue;
            out.push_back(stakeAt(p, QStringLiteral("N%1").arg(i + 1), c * ground.spacing,
                                  r * ground.spacing, ground.h[i], design.h[i]));
        }
    return out;
}

std::vector<StakePoint> padOutlineStakes(const Project& p, const EarthworkGrid& ground,
                                         const PadResult& pad)
{
    const PadRect& rc = pad.rect;
    const double s = ground.spacing;
    std::vector<StakePoint> out;
    int corner = 0;
    for (const auto& [c, r] :
         {std::pair{rc.c0, rc.r0}, {rc.c1, rc.r0}, {rc.c1, rc.r1}, {rc.c0, rc.r1}})
        out.push_back(stakeAt(p, QStringLiteral("C%1").arg(++corner), c * s, r * s,
                              ground.h[std::size_t(r) * ground.cols + c], pad.zp));
    // Where the daylight value changes sign between two neighbouring nodes, the batter meets
    // the ground: there ground and design are one, found along the grid line between them.
    const auto& d = pad.pad.daylight;
    const auto& g = ground.h;
    int daylight = 0;
    const auto crossing = [&](std::size_t a, std::size_t b, double xa, double ya, double xb,
                              double yb) {
        if (!(d[a] > 0 && d[b] < 0) && !(d[a] < 0 && d[b] > 0))
            return;
        const double t = d[a] / (d[a] - d[b]);
        const double level = g[a] + t * (g[b] - g[a]);
        out.push_back(stakeAt(p, QStringLiteral("D%1").arg(++daylight), xa + t * (xb - xa),
                              ya + t * (yb - ya), level, level));
    };
    for (int r = 0; r < ground.rows; ++r)
        for (int c = 0; c + 1 < ground.cols; ++c) {
            const std::size_t a = std::size_t(r) * ground.cols + c;
            crossing(a, a + 1, c * s, r * s, (c + 1) * s, r * s);
        }
    for (int c = 0; c < ground.cols; ++c)
        for (int r = 0; r + 1 < ground.rows; ++r) {
            const std::size_t a = std::size_t(r) * ground.cols + c;
            crossing(a, a + ground.cols, c * s, r * s, c * s, (r + 1) * s);
        }
    return out;
}

QByteArray stakeCsv(const std::vector<StakePoint>& stakes)
{
    QByteArray out = "name,e,n,ground,design,cutfill\n";
    for (const StakePoint& s : stakes)
        out += s.name.toUtf8() + ',' + metres(s.e) + ',' + metres(s.n) + ',' + metres(s.ground) +
               ',' + metres(s.design) + ',' + metres(s.cutFill()) + '\n';
    return out;
}

QByteArray stakeTotalStationText(const std::vector<StakePoint>& stakes)
{
    QByteArray out;
    for (const StakePoint& s : stakes) {
        const double depth = std::round(s.cutFill() * 1000) / 1000;
        out += s.name.toUtf8() + ',' + metres(s.n) + ',' + metres(s.e) + ',' + metres(s.design) +
               ",GL " + metres(s.ground) +
               (depth > 0   ? " CUT "
                : depth < 0 ? " FILL "
                            : " ON ") +
               metres(std::abs(depth)) + '\n';
    }
    return out;
}

std::vector<SummaryLine> stakeSummary(const std::vector<StakePoint>& stakes)
{
    double cut = 0, fill = 0;
    for (const StakePoint& s : stakes)
        cut = std::max(cut, s.cutFill()), fill = std::min(fill, s.cutFill());
    return {{QStringLiteral("จำนวนหมุด"), QString::number(stakes.size()), QStringLiteral("หมุด")},
            {QStringLiteral("ดินตัดลึกที่สุด"), formatPicture(cut, 3), QStringLiteral("เมตร")},
            {QStringLiteral("ดินถมสูงที่สุด"), formatPicture(-fill, 3), QStringLiteral("เมตร")}};
}

TableTexts stakeTable(const std::vector<StakePoint>& stakes)
{
    TableTexts t;
    t.headings = {QStringLiteral("หมุด"),        QStringLiteral("E (ม.)"),
                  QStringLiteral("N (ม.)"),     QStringLiteral("ระดับดินเดิม"),
                  QStringLiteral("ระดับออกแบบ"), QStringLiteral("ตัด/ถม (ม.)")};
    t.columns = {2.0, 4.0, 7.2, 10.6, 13.4, 16.2};
    t.rows = int(stakes.size());
    t.row = [stakes](int r) {
        const StakePoint& s = stakes[std::size_t(r)];
        return QStringList{s.name,
                           QString::fromLatin1(metres(s.e)),
                           QString::fromLatin1(metres(s.n)),
                           QString::fromLatin1(metres(s.ground)),
                           QString::fromLatin1(metres(s.design)),
                           QString::fromLatin1(metres(s.cutFill()))};
    };
    return t;
}

} // namespace tervan
