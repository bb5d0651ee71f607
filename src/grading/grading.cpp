#include "grading/grading.h"

#include "common/vectorstate.h"

#include "project/project.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tervan {

namespace {

// Cell count, cell area and total area, shared by both grades.
float cellGeometry(Project& p)
{
    // Formed in 16 bits as always; a project without nodes has no cells.
    const auto cells = qint16((p.GridCols - 1) * (p.GridRows - 1));
    p.CellCount =
        p.NodeCount > 0 && p.GridCols > 0 && p.GridRows > 0 ? std::max<qint32>(cells, 0) : 0;
    const float cellArea = float(std::pow(double(p.GridSpacing), 2));
    p.TotalArea = float(double(cellArea) * p.CellCount);
    return cellArea;
}

std::vector<float> cellMeans(const Project& p)
{
    std::vector<float> means(std::size_t(p.CellCount) + 1, 0.0f);
    const int cols = p.GridCols;
    int n = 0;
    for (int i = 1; i < p.GridRows && n < p.CellCount; ++i) {
        for (int j = 1; j < cols; ++j) {
            const int k = (i - 1) * cols + j;
            const auto& z = p.Nodes;
            means[++n] =
                float((double(z[k + 1].Z) + z[k].Z + z[k + cols + 1].Z + z[k + cols].Z) / 4);
        }
    }
    return means;
}

// Cut and fill totals against a platform: zero volumes go to fill.
void totals(const std::vector<float>& means, qint32 count, float cellArea, float platform,
            float& cut, float& fill)
{
    cut = 0;
    fill = 0;
    for (qint32 n = 1; n <= count; ++n) {
        const float d = float(double(means[n]) - platform);
        const float v = float(double(cellArea) * d);
        if (v > 0)
            cut = float(double(cut) + v);
        else
            fill = float(double(fill) + v);
    }
}

std::vector<float> cellVolumes(const std::vector<float>& means, qint32 count, float cellArea,
                               float platform)
{
    std::vector<float> volumes(std::size_t(count) + 1, 0.0f);
    for (qint32 n = 1; n <= count; ++n)
        volumes[n] = float((double(means[n]) - platform) * cellArea);
    return volumes;
}

bool finite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

} // namespace

bool AutoGradeElev(Project& p)
{
    clearUpperVectorState();
    const float cellArea = cellGeometry(p);
    p.AutoCellMeanElev = cellMeans(p);
    const auto& means = p.AutoCellMeanElev;
    const auto undefined = [&p] {
        p.AutoGradeElevation = 0;
        p.AutoCutVolume = p.AutoFillVolume = 0;
        p.AutoCellVolume.assign(1, 0.0f);
        return false;
    };
    if (p.CellCount == 0 || p.TotalArea == 0)
        return undefined();

    float sum = 0;
    for (qint32 n = 1; n <= p.CellCount; ++n)
        sum = float(double(sum) + means[n]);
    const float mean = float(double(sum) / p.CellCount);

    // The net of the float sums, spread over the area, corrects the plain mean.
    float positive = 0, negative = 0;
    totals(means, p.CellCount, cellArea, mean, positive, negative);
    const float net = float(double(negative) + positive);
    const float spread = float(double(net) / p.TotalArea);
    p.AutoGradeElevation = float(double(spread) + mean);

    totals(means, p.CellCount, cellArea, p.AutoGradeElevation, p.AutoCutVolume, p.AutoFillVolume);
    p.AutoCellVolume = cellVolumes(means, p.CellCount, cellArea, p.AutoGradeElevation);
    if (!std::isfinite(p.AutoGradeElevation) || !std::isfinite(p.AutoCutVolume) ||
        !std::isfinite(p.AutoFillVolume) || !finite(means) || !finite(p.AutoCellVolume))
        return undefined();
    return true;
}

bool FixGradeElev(Project& p)
{
    clearUpperVectorState();
    const float cellArea = cellGeometry(p);
    p.FixCellMeanElev = cellMeans(p);
    totals(p.FixCellMeanElev, p.CellCount, cellArea, p.FixGradeElevation, p.FixCutVolume,
           p.FixFillVolume);
    p.FixCellVolume = cellVolumes(p.FixCellMeanElev, p.CellCount, cellArea, p.FixGradeElevation);
    if ((p.CellCount > 0 && p.TotalArea == 0) || !std::isfinite(p.FixCutVolume) ||
        !std::isfinite(p.FixFillVolume) || !finite(p.FixCellMeanElev) || !finite(p.FixCellVolume)) {
        p.FixCutVolume = p.FixFillVolume = 0;
        p.FixCellVolume.assign(1, 0.0f);
        return false;
    }
    return true;
}

bool ElevationsGradeable(const Project& p)
{
    Project trial = p;
    return AutoGradeElev(trial) || trial.CellCount == 0;
}

bool PlatformGradeable(const Project& p, float platform)
{
    Project trial = p;
    trial.FixGradeElevation = platform;
    return FixGradeElev(trial);
}

} // namespace tervan
