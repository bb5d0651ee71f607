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

    std::vector<double> differences(std::size_t(p.NodeCount));
    // Each node against the heights of its neighbours in `around`.
    auto estimate = [&](const std::vector<double>& around) {
        auto h = [&](int i, int j) { return around[std::size_t(i * cols + j)]; };
        check.medians.assign(std::size_t(p.NodeCount), 0);
        std::vector<double> values;
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) {
                values.clear();
                // One height per neighbour line: the mean of the two sides, or the inward side
                // carried on to the node.
                for (const auto& [di, dj] : {std::pair{0, 1}, {1, 0}, {1, 1}, {1, -1}}) {
                    const bool ahead = inside(i + di, j + dj), behind = inside(i - di, j - dj);
                    if (ahead && behind)
                        values.push_back((h(i + di, j + dj) + h(i - di, j - dj)) / 2);
                    else if (ahead && inside(i + 2 * di, j + 2 * dj))
                        values.push_back(2 * h(i + di, j + dj) - h(i + 2 * di, j + 2 * dj));
                    else if (behind && inside(i - 2 * di, j - 2 * dj))
                        values.push_back(2 * h(i - di, j - dj) - h(i - 2 * di, j - 2 * dj));
                }
                const std::size_t k = std::size_t(i * cols + j);
                check.medians[k] = values.empty() ? z(i, j) : median(values);
                differences[k] = z(i, j) - check.medians[k];
            }
        std::vector<double> spread = differences;
        const double centre = median(spread);
        for (double& d : spread)
            d = std::abs(d - centre);
        check.deviation = median(spread);
    };
    auto suspect = [&](std::size_t k) {
        const double d = std::abs(differences[k]);
        return d > factor * check.deviation && d > floor;
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
