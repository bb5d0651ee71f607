#include "grading/suspectheights.h"

#include "project/project.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tervan {

namespace {

double median(std::vector<double>& values)
{
    const std::size_t n = values.size();
    const auto mid = values.begin() + std::ptrdiff_t(n / 2);
    std::nth_element(values.begin(), mid, values.end());
    if (n % 2 == 1)
        return *mid;
    return (*std::max_element(values.begin(), mid) + *mid) / 2;
}

} // namespace

SuspectCheck findSuspectHeights(const Project& p, double factor, double floor)
{
    SuspectCheck check;
    const int rows = p.GridRows, cols = p.GridCols;
    if (rows < 1 || cols < 1 || p.NodeCount != rows * cols ||
        p.Nodes.size() <= std::size_t(p.NodeCount))
        return check;
    auto z = [&](int i, int j) { return double(p.Nodes[std::size_t(i * cols + j + 1)].Z); };
    auto inside = [&](int i, int j) { return i >= 0 && i < rows && j >= 0 && j < cols; };

    // Per node: its height less the nearest of its line heights, and less their median.
    std::vector<double> differences(std::size_t(p.NodeCount)), spreads(differences.size());
    std::vector<double> deviations(differences.size());
    auto estimate = [&](const std::vector<double>& around) {
        auto h = [&](int i, int j) { return around[std::size_t(i * cols + j)]; };
        check.medians.assign(std::size_t(p.NodeCount), 0);
        std::vector<double> values;
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) {
                values.clear();
                std::size_t twoSided = 0;
                // One height per neighbour line: the mean of the two sides, or the inward side
                // carried on to the node.
                for (const auto& [di, dj] : {std::pair{0, 1}, {1, 0}, {1, 1}, {1, -1}}) {
                    const bool ahead = inside(i + di, j + dj), behind = inside(i - di, j - dj);
                    if (ahead && behind)
                        values.insert(values.begin() + std::ptrdiff_t(twoSided++),
                                      (h(i + di, j + dj) + h(i - di, j - dj)) / 2);
                    else if (ahead && inside(i + 2 * di, j + 2 * dj))
                        values.push_back(2 * h(i + di, j + dj) - h(i + 2 * di, j + 2 * dj));
                    else if (behind && inside(i - 2 * di, j - 2 * dj))
                        values.push_back(2 * h(i - di, j - dj) - h(i - 2 * di, j - 2 * dj));
                }
                const std::size_t k = std::size_t(i * cols + j);
                const double zk = z(i, j);
                // A slip stands off every line; a break in slope, a terrace edge or a shore
                // only from the lines across it. Heights carried on from one side are rougher,
                // so they count only where no line has both sides.
                const auto sides =
                    values.begin() + std::ptrdiff_t(twoSided ? twoSided : values.size());
                double nearest = values.empty() ? zk : values.front();
                for (auto v = values.begin(); v != sides; ++v)
                    if (std::abs(zk - *v) < std::abs(zk - nearest))
                        nearest = *v;
                check.medians[k] = values.empty() ? zk : median(values);
                differences[k] = zk - nearest;
                spreads[k] = zk - check.medians[k];
            }
        // The deviation around each node: the median absolute deviation of its neighbours'
        // differences from their median, over the 5 x 5 nodes about it.
        std::vector<double> window;
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) {
                window.clear();
                for (int a = std::max(0, i - 2); a <= std::min(rows - 1, i + 2); ++a)
                    for (int b = std::max(0, j - 2); b <= std::min(cols - 1, j + 2); ++b)
                        if (a != i || b != j)
                            window.push_back(spreads[std::size_t(a * cols + b)]);
                double deviation = 0;
                if (!window.empty()) {
                    const double centre = median(window);
                    for (double& d : window)
                        d = std::abs(d - centre);
                    deviation = median(window);
                }
                deviations[std::size_t(i * cols + j)] = deviation;
            }
        std::vector<double> all(deviations);
        check.deviation = median(all);
    };
    auto suspect = [&](std::size_t k) {
        const double d = std::abs(differences[k]);
        return d > factor * deviations[k] && d > floor;
    };

    std::vector<double> heights(std::size_t(p.NodeCount));
    for (int k = 0; k < p.NodeCount; ++k)
        heights[std::size_t(k)] = z(k / cols, k % cols);
    const std::vector<double> surveyed = heights;
    estimate(heights);
    // A wrong height drags its neighbours' estimates along: check again with the suspects
    // standing at their estimates, so that only the wrong heights themselves stay marked, and
    // once more with just those, for their own estimates.
    for (int pass = 0; pass < 2; ++pass) {
        heights = surveyed;
        bool any = false;
        for (std::size_t k = 0; k < differences.size(); ++k)
            if (suspect(k)) {
                heights[k] = check.medians[k];
                any = true;
            }
        if (!any)
            break;
        estimate(heights);
    }

    for (std::size_t k = 0; k < differences.size(); ++k) {
        if (suspect(k))
            check.suspects.push_back(
                {int(k + 1), z(int(k) / cols, int(k) % cols), check.medians[k]});
    }
    return check;
}

} // namespace tervan
