#include "grading/designsurface.h"

#include <algorithm>

#include "common/messages.h"
#include "project/heightscsv.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tervan {

QString gridMismatch(const EarthworkGrid& existing, const EarthworkGrid& design)
{
    const auto differs = [](const QString& what, const QString& a, const QString& b) {
        return QStringLiteral("%1ของพื้นผิวออกแบบไม่ตรงกับโครงการ (%2 กับ %3)").arg(what, b, a);
    };
    if (existing.rows != design.rows)
        return differs(QStringLiteral("จำนวนแถว"), QString::number(existing.rows),
                       QString::number(design.rows));
    if (existing.cols != design.cols)
        return differs(QStringLiteral("จำนวนคอลัมน์"), QString::number(existing.cols),
                       QString::number(design.cols));
    if (existing.spacing != design.spacing)
        return differs(QStringLiteral("ระยะห่างกริด"), QString::number(existing.spacing),
                       QString::number(design.spacing));
    if (existing.h.size() != design.h.size())
        return msg::DataIncomplete;
    return {};
}

EarthworkGrid depthGrid(const EarthworkGrid& existing, const EarthworkGrid& design)
{
    EarthworkGrid d = existing;
    for (std::size_t i = 0; i < d.h.size(); ++i)
        d.h[i] -= design.h[i];
    return d;
}

Earthwork depthEarthwork(const EarthworkGrid& depth)
{
    Earthwork e;
    e.cells = grossCellCutFill(depth, 0);
    // A cell's net is its four-corner prism, so one pass gives both figures.
    for (const CutFill& c : e.cells) {
        e.gross.cut += c.cut;
        e.gross.fill += c.fill;
        (c.net() > 0 ? e.fourCorner.cut : e.fourCorner.fill) += c.net();
    }
    e.area = depth.area();
    return e;
}

std::variant<EarthworkGrid, QStringList> loadDesignSurface(const Project& existing,
                                                           const QString& fileName,
                                                           bool missingTakeGround, int* missing)
{
    if (missing)
        *missing = 0;
    const QString shown = QDir::toNativeSeparators(fileName);
    if (!fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
        const ProjectFileNames names = projectFileNames(fileName);
        auto loaded = loadProjectFiles(names);
        if (const auto* error = std::get_if<FileError>(&loaded)) {
            const QString path =
                QDir::toNativeSeparators(error->file == ProjectFile::Gnd ? names.gnd : names.nod);
            return QStringList{error->problem == FileProblem::CannotOpen
                                   ? msg::cannotOpenFile(path)
                                   : msg::fileMalformed(path)};
        }
        auto& data = std::get<ProjectFileData>(loaded);
        // Volumes against a pair from two different saves would be silently wrong.
        if (data.MisplacedNode != 0)
            return QStringList{misplacedNodeText(data, names)};
        Project design = startupProject();
        applyOpenedProject(design, std::move(data), names);
        if (!design.HasNodes())
            return QStringList{msg::DataIncomplete};
        return earthworkGrid(design);
    }
    QFile csv(fileName);
    if (!QFileInfo(fileName).isFile() || !csv.open(QIODevice::ReadOnly))
        return QStringList{msg::cannotOpenFile(shown)};
    const HeightsRead read = readHeightsCsv(csv, existing);
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        QStringList lines;
        for (const HeightLineError& e : *errors)
            lines << (e.line > 0 ? QStringLiteral("%1:%2: %3").arg(shown).arg(e.line).arg(e.reason)
                                 : QStringLiteral("%1: %2").arg(shown, e.reason));
        return lines;
    }
    if (std::holds_alternative<ColumnOrderUnknown>(read))
        return QStringList{QStringLiteral("%1: %2").arg(shown, columnOrderQuestion())};
    const auto& heights = std::get<HeightsTaken>(read).heights;
    std::vector<bool> given(std::size_t(existing.NodeCount) + 1, false);
    for (const NodeHeight& h : heights)
        if (h.node > 0 && h.node <= existing.NodeCount)
            given[std::size_t(h.node)] = true;
    const auto first = std::find(given.begin() + 1, given.end(), false);
    const int left = int(std::count(given.begin() + 1, given.end(), false));
    // A design that names some nodes says nothing of the others: taking the ground there
    // silently would hide a short file.
    if (left > 0 && !missingTakeGround) {
        if (missing)
            *missing = left;
        return QStringList{QStringLiteral("%1: ไม่มีค่าระดับออกแบบของจุด %2 จุด จุดแรกคือจุดที่ %3")
                               .arg(shown)
                               .arg(left)
                               .arg(first - given.begin())};
    }
    Project design = existing;
    applyHeights(design, heights);
    return earthworkGrid(design);
}

} // namespace tervan
