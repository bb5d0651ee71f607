#include "grading/grading.h"

#include "common/vectorstate.h"

#include "project/project.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tervan {

namespace {

// Cell count, cell area and total area, shared by both grades.
float cellGeometry(const Project& p, GradingResults& r)
{
    // Formed in 16 bits as always; a project without nodes has no cells.
    const auto cells = qint16((p.GridCols - 1) * (p.GridRows - 1));
    r.CellCount =
        p.NodeCount > 0 && p.GridCols > 0 && p.GridRows > 0 ? std::max<qint32>(cells, 0) : 0;
    const float cellArea = float(std::pow(double(p.GridSpacing), 2));
    r.TotalArea = float(double(cellArea) * r.CellCount);
    return cellArea;
}

std::vector<float> cellMeans(const Project& p, qint32 count)
{
    std::vector<float> means(std::size_t(count) + 1, 0.0f);
    const int cols = p.GridCols;
    int n = 0;
    for (int i = 1; i < p.GridRows && n < count; ++i) {
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

bool AutoGradeElev(const Project& p, GradingResults& r)
{
    clearUpperVectorState();
    const float cellArea = cellGeometry(p, r);
    r.AutoCellMeanElev = cellMeans(p, r.CellCount);
    const auto& means = r.AutoCellMeanElev;
    const auto undefined = [&r] {
        r.AutoGradeElevation = 0;
        r.AutoCutVolume = r.AutoFillVolume = 0;
        r.AutoCellVolume.assign(1, 0.0f);
        return false;
    };
    if (r.CellCount == 0 || r.TotalArea == 0)
        return undefined();

    float sum = 0;
    for (qint32 n = 1; n <= r.CellCount; ++n)
        sum = float(double(sum) + means[n]);
    const float mean = float(double(sum) / r.CellCount);

    // The net of the float sums, spread over the area, corrects the plain mean.
    float positive = 0, negative = 0;
    totals(means, r.CellCount, cellArea, mean, positive, negative);
    const float net = float(double(negative) + positive);
    const float spread = float(double(net) / r.TotalArea);
    r.AutoGradeElevation = float(double(spread) + mean);

    totals(means, r.CellCount, cellArea, r.AutoGradeElevation, r.AutoCutVolume, r.AutoFillVolume);
    r.AutoCellVolume = cellVolumes(means, r.CellCount, cellArea, r.AutoGradeElevation);
    if (!std::isfinite(r.AutoGradeElevation) || !std::isfinite(r.AutoCutVolume) ||
        !std::isfinite(r.AutoFillVolume) || !finite(means) || !finite(r.AutoCellVolume))
        return undefined();
    return true;
}

bool AutoGradeElev(Project& p)
{
    return AutoGradeElev(p, p);
}

bool FixGradeElev(const Project& p, GradingResults& r)
{
    clearUpperVectorState();
    const float cellArea = cellGeometry(p, r);
    r.FixCellMeanElev = cellMeans(p, r.CellCount);
    totals(r.FixCellMeanElev, r.CellCount, cellArea, r.FixGradeElevation, r.FixCutVolume,
           r.FixFillVolume);
    r.FixCellVolume = cellVolumes(r.FixCellMeanElev, r.CellCount, cellArea, r.FixGradeElevation);
    if ((r.CellCount > 0 && r.TotalArea == 0) || !std::isfinite(r.FixCutVolume) ||
        !std::isfinite(r.FixFillVolume) || !finite(r.FixCellMeanElev) || !finite(r.FixCellVolume)) {
        r.FixCutVolume = r.FixFillVolume = 0;
        r.FixCellVolume.assign(1, 0.0f);
        return false;
    }
    return true;
}

bool FixGradeElev(Project& p)
{
    return FixGradeElev(p, p);
}

bool ElevationsGradeable(const Project& p)
{
    GradingResults trial;
    return AutoGradeElev(p, trial) || trial.CellCount == 0;
}

bool PlatformGradeable(const Project& p, float platform)
{
    GradingResults trial;
    trial.FixGradeElevation = platform;
    return FixGradeElev(p, trial);
}

} // namespace tervan
