#pragma once

#include "project/controldata.h"
#include "project/project.h"

#include <QString>
#include <algorithm>
#include <cmath>

// A terrain that rises across the grid and swells in its middle, so that contours meet every
// border, under a long Thai name, engineer and file title.
inline tervan::Project terrain(qint16 rows, qint16 cols, qint16 spacing, bool opened = true)
{
    tervan::Project p = tervan::startupProject();
    tervan::applyControlData(p, {spacing, rows, cols, 1});
    p.ProjectName = QStringLiteral("ปรับพื้นที่โรงเรียนบ้านหนองบัวทอง ระยะที่สอง");
    p.EngineerName = QStringLiteral("นายสมชาย ใจดีมากมาย วิศวกรโยธา");
    p.FileTitle = QStringLiteral("โครงการปรับพื้นที่หมู่บ้านตัวอย่างระยะที่สองของอำเภอเมือง.gnd");
    for (int n = 1; n <= p.NodeCount; ++n) {
        const double x = p.Nodes[n].X / std::max(1.0, (cols - 1) * double(spacing));
        const double y = p.Nodes[n].Y / std::max(1.0, (rows - 1) * double(spacing));
        p.Nodes[n].Z = float(100 + 6 * x + 3 * y + 4 * std::sin(3.1 * x) * std::cos(2.3 * y));
    }
    p.ComputeElevationRange();
    if (opened)
        p.ComputeNodeExtents();
    p.FixGradeElevation = 103.25f;
    return p;
}
