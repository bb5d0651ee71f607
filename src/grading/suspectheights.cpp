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

    check.medians.resize(std::size_t(p.NodeCount));
    std::vector<double> differences(std::size_t(p.NodeCount));
    std::vector<double> values;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            values.clear();
            // One height per neighbour line: the mean of the two sides, or the inward side
            // carried on to the node.
            for (const auto& [di, dj] : {std::pair{0, 1}, {1, 0}, {1, 1}, {1, -1}}) {
                const bool ahead = inside(i + di, j + dj), behind = inside(i - di, j - dj);
                if (ahead && behind)
                    values.push_back((z(i + di, j + dj) + z(i - di, j - dj)) / 2);
                else if (ahead && inside(i + 2 * di, j + 2 * dj))
                    values.push_back(2 * z(i + di, j + dj) - z(i + 2 * di, j + 2 * dj));
                else if (behind && inside(i - 2 * di, j - 2 * dj))
                    values.push_back(2 * z(i - di, j - dj) - z(i - 2 * di, j - 2 * dj));
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

    for (std::size_t k = 0; k < differences.size(); ++k) {
        const double d = std::abs(differences[k]);
        if (d > factor * check.deviation && d > floor)
            check.suspects.push_back(
                {int(k + 1), z(int(k) / cols, int(k) % cols), check.medians[k]});
    }
    return check;
}

} // namespace tervan
