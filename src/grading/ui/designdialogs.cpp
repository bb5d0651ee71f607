#include "grading/ui/designdialogs.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/designsurface.h"
#include "grading/designtexts.h"
#include "grading/ui/earthworkparts.h"
#include "graphics/imagesurface.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace tervan {

namespace {

// An elevation whose volumes a double still holds.
bool plausibleLevel(double v)
{
    return std::abs(v) < 1e6;
}

bool wholeNumber(double v)
{
    return v == std::floor(v) && std::abs(v) < 1e6;
}

} // namespace

DesignDialogBase::DesignDialogBase(const Project& project, Prompts& prompts, const QString& title,
                                   QWidget* parent)
    : EarthworkDialogFrame(project, prompts, title, parent), m_cells(new TextTableModel(this)),
      m_picMap(new QLabel(this)),
      m_chkContours(new QCheckBox(QStringLiteral("เส้นความลึกดินตัด-ดินถม"), this)),
      m_chkAllCells(new QCheckBox(QStringLiteral("พิมพ์ทุกช่องกริด รวมช่องที่ไม่ตัดไม่ถม"), this))
{
    m_chkAllCells->setObjectName(QStringLiteral("chkAllCells"));
    m_picMap->setObjectName(QStringLiteral("picMap"));
    m_picMap->setFixedSize(700, 470);
    m_chkContours->setObjectName(QStringLiteral("chkContours"));
    connect(m_chkContours, &QCheckBox::toggled, this, [this] {
        m_map.contourInterval = contourInterval();
        drawMap();
    });
}

QWidget* DesignDialogBase::body(QWidget* above)
{
    auto* widget = new QWidget(this);
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    if (above)
        column->addWidget(above);
    auto* row = new QHBoxLayout;
    QTableView* table = textTable(widget, m_cells, "grdCells");
    table->setMinimumWidth(420);
    row->addWidget(table, 1);
    auto* mapColumn = new QVBoxLayout;
    mapColumn->addWidget(m_picMap);
    mapColumn->addWidget(m_chkContours);
    mapColumn->addWidget(m_chkAllCells);
    row->addLayout(mapColumn);
    column->addLayout(row, 1);
    return widget;
}

bool DesignDialogBase::printEveryCell() const
{
    return m_chkAllCells->isChecked();
}

double DesignDialogBase::contourInterval() const
{
    return m_chkContours->isChecked() ? double(m_project.ContourInterval) : 0;
}

void DesignDialogBase::showFigures(const Earthwork& e, double k, std::vector<SummaryLine> lines,
                                   CutFillMap map)
{
    m_earthwork = e;
    m_k = k;
    m_lines = std::move(lines);
    m_map = std::move(map);
    m_map.contourInterval = contourInterval();
    m_summary->setLines(m_lines);
    m_cells->setTexts(designCells(m_earthwork, m_k));
    drawMap();
}

void DesignDialogBase::drawMap()
{
    QImage image(m_picMap->size(), QImage::Format_RGB32);
    {
        ImageSurface surface(image);
        surface.clear();
        DrawCutFillMap(surface, m_map, double(image.width()) / image.height(), 9);
    }
    m_picMap->setPixmap(QPixmap::fromImage(image));
}

CompareDialog::CompareDialog(const Project& project, Prompts& prompts, EarthworkGrid design,
                             const QString& designName, QWidget* parent)
    : DesignDialogBase(project, prompts, designtitle::Compare, parent), m_design(std::move(design)),
      m_designName(designName)
{
    setObjectName(QStringLiteral("frmCompareDesign"));
    m_txtK = m_inputs->add("txtK", QStringLiteral("K"), QStringLiteral("1.00"));
    finish(body(), QStringLiteral("หมายเหตุ   +  ปริมาตรดินตัด   -  ปริมาตรดินถม"));
}

void CompareDialog::recompute()
{
    const auto k = readBox(m_txtK, m_prompts, isCompactionFactor);
    if (!k)
        return;
    CutFillMap map;
    map.depth = depthGrid(earthworkGrid(m_project), m_design);
    const Earthwork e = depthEarthwork(map.depth);
    showFigures(e, *k, comparisonSummary(e, *k, m_designName), std::move(map));
}

PadDialog::PadDialog(const Project& project, Prompts& prompts, QWidget* parent)
    : DesignDialogBase(project, prompts, designtitle::Pad, parent)
{
    setObjectName(QStringLiteral("frmPadGrade"));
    m_txtLevel =
        m_inputs->add("txtLevel", QStringLiteral("ค่าระดับแท่น"), QString(), QStringLiteral("เมตร"));
    m_txtLevel->setPlaceholderText(QStringLiteral("สมดุล"));
    m_txtLevel->setToolTip(QStringLiteral("เว้นว่างไว้เพื่อใช้ค่าระดับที่สมดุล"));
    m_txtCutSlope = m_inputs->add("txtCutSlope", QStringLiteral("ลาดดินตัด"), QStringLiteral("1.5"),
                                  QStringLiteral(": 1"));
    m_txtFillSlope = m_inputs->add("txtFillSlope", QStringLiteral("ลาดดินถม"), QStringLiteral("2.0"),
                                   QStringLiteral(": 1"));
    m_txtK = m_inputs->add("txtK", QStringLiteral("K"), QStringLiteral("1.00"));
    // A third of the grid in the middle to start from.
    const int cols = project.GridCols, rows = project.GridRows;
    const int corner[4] = {(cols - 1) / 3, (rows - 1) / 3, cols - 1 - (cols - 1) / 3,
                           rows - 1 - (rows - 1) / 3};
    auto* rect = new InputRow(this);
    const char* names[4] = {"txtC0", "txtR0", "txtC1", "txtR1"};
    const QString captions[4] = {QStringLiteral("แท่น คอลัมน์แรก"), QStringLiteral("แถวแรก"),
                                 QStringLiteral("คอลัมน์สุดท้าย"), QStringLiteral("แถวสุดท้าย")};
    for (int i = 0; i < 4; ++i)
        m_txtCorner[i] = rect->add(names[i], captions[i], QString::number(corner[i]));
    finish(body(rect), QStringLiteral("คอลัมน์และแถวนับจาก 0 ที่มุมซ้ายล่าง   +  ดินตัด   -  ดินถม"));
}

void PadDialog::recompute()
{
    int corner[4];
    for (int i = 0; i < 4; ++i) {
        const auto v = readBox(m_txtCorner[i], m_prompts, wholeNumber);
        if (!v)
            return;
        corner[i] = int(*v);
    }
    const EarthworkGrid ground = earthworkGrid(m_project);
    const PadRect rect{corner[0], corner[1], corner[2], corner[3]};
    if (!rect.fits(ground)) {
        // The box to mend: one off the grid, else the last of a pair that holds no cell.
        const int wrong = rect.c0 < 0                                    ? 0
                          : rect.r0 < 0                                  ? 1
                          : rect.c1 >= ground.cols || rect.c1 <= rect.c0 ? 2
                                                                         : 3;
        m_prompts.notice(msg::InputError);
        m_txtCorner[wrong]->setFocus();
        m_txtCorner[wrong]->selectAll();
        return;
    }
    const auto hc = readBox(m_txtCutSlope, m_prompts, isBatterRun);
    const auto hf = hc ? readBox(m_txtFillSlope, m_prompts, isBatterRun) : std::nullopt;
    const auto k = hf ? readBox(m_txtK, m_prompts, isCompactionFactor) : std::nullopt;
    if (!k)
        return;
    const bool balance = m_txtLevel->text().trimmed().isEmpty();
    const auto level =
        balance ? std::optional<double>(0) : readBox(m_txtLevel, m_prompts, plausibleLevel);
    if (!level)
        return;
    m_pad = balance ? balancedPad(ground, rect, {*hc, *hf}, *k)
                    : padAt(ground, rect, *level, {*hc, *hf}, *k);
    showFigures(m_pad.earthwork, *k, padSummary(m_pad), padMap(ground, m_pad, 0));
}

} // namespace tervan
