#include "grading/ui/earthworkdialogs.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/balancechart.h"
#include "grading/grading.h"
#include "grading/ui/earthworkparts.h"
#include "graphics/imagesurface.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <tuple>

namespace tervan {

namespace {

QFrame* rule(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// A platform the fixed grade can take as well: a finite float.
bool floatElevation(double v)
{
    return std::isfinite(float(v));
}

bool notNegative(double v)
{
    return v >= 0;
}

const QString Metres = QStringLiteral("เมตร");

} // namespace

EarthworkDialogFrame::EarthworkDialogFrame(const Project& project, Prompts& prompts,
                                           const QString& title, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_prompts(prompts), m_inputs(new InputRow(this)),
      m_summary(new SummaryPanel(this)), m_layout(new QVBoxLayout(this))
{
    setWindowTitle(title);
}

void EarthworkDialogFrame::finish(QWidget* body, const QString& note)
{
    auto* compute = button(this, "cmdCompute", QStringLiteral("คำนวณ"));
    connect(compute, &QPushButton::clicked, this, [this] { recompute(); });
    auto* top = new QHBoxLayout;
    top->addWidget(m_inputs);
    top->addStretch();
    top->addWidget(compute);
    m_layout->addLayout(top);
    m_layout->addWidget(rule(this));
    m_layout->addWidget(m_summary);
    m_layout->addWidget(body, 1);
    m_layout->addWidget(rule(this));

    auto* bottom = new QHBoxLayout;
    auto* noteLabel = new QLabel(note, this);
    noteLabel->setObjectName(QStringLiteral("lblNote"));
    noteLabel->setStyleSheet(QStringLiteral("color: red;"));
    bottom->addWidget(noteLabel);
    bottom->addStretch();
    auto* print = button(this, "cmdPrint", QStringLiteral("พิมพ์"));
    connect(print, &QPushButton::clicked, this, &EarthworkDialogFrame::printRequested);
    auto* ok = button(this, "cmdOK", QStringLiteral("ตกลง"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(print);
    bottom->addWidget(ok);
    m_layout->addLayout(bottom);
    recompute();
}

void EarthworkDialogFrame::warnOfSuspects(int count, std::function<void()> showList)
{
    if (count > 0)
        m_layout->insertWidget(0, new SuspectWarning(count, std::move(showList), this));
}

EarthworkDialog::EarthworkDialog(const Project& project, Prompts& prompts, bool sloped,
                                 QWidget* parent)
    : EarthworkDialogFrame(project, prompts,
                           sloped ? earthworktitle::Sloped : earthworktitle::Gross, parent),
      m_sloped(sloped), m_cells(new TextTableModel(this))
{
    setObjectName(sloped ? QStringLiteral("frmSlopedGrade") : QStringLiteral("frmGrossEarthwork"));
    m_txtPlatform = m_inputs->add("txtPlatform",
                                  sloped ? QStringLiteral("ค่าระดับที่กึ่งกลาง")
                                         : QStringLiteral("ค่าระดับในการปรับพื้นที่"),
                                  QString(), Metres);
    m_txtPlatform->setPlaceholderText(QStringLiteral("สมดุล"));
    m_txtPlatform->setToolTip(QStringLiteral("เว้นว่างไว้เพื่อใช้ค่าระดับที่สมดุล"));
    if (sloped) {
        std::tie(m_txtSlopeX, m_txtSlopeY) = m_inputs->addSlopes();
    }
    m_txtK = m_inputs->add("txtK", QStringLiteral("K"), QStringLiteral("1.00"));
    finish(textTable(this, m_cells, "grdCells"),
           QStringLiteral("หมายเหตุ   +  ปริมาตรดินตัด   -  ปริมาตรดินถม"));
}

void EarthworkDialog::recompute()
{
    double slopeX = 0, slopeY = 0;
    if (m_sloped) {
        const auto x = readBox(m_txtSlopeX, m_prompts, isSlopePercent);
        const auto y = x ? readBox(m_txtSlopeY, m_prompts, isSlopePercent) : std::nullopt;
        if (!y)
            return;
        slopeX = *x;
        slopeY = *y;
    }
    const auto k = readBox(m_txtK, m_prompts, isCompactionFactor);
    if (!k)
        return;
    double zc;
    if (m_txtPlatform->text().trimmed().isEmpty()) {
        zc = balancedElevation(earthworkGrid(m_project, slopeX, slopeY), *k);
    } else {
        const auto typed = readBox(m_txtPlatform, m_prompts, floatElevation);
        if (!typed)
            return;
        zc = *typed;
        // As the fixed grade's dialog: a platform whose volumes overflow is no platform.
        if (!PlatformGradeable(m_project, float(zc))) {
            m_prompts.notice(msg::InputError);
            m_txtPlatform->setFocus();
            m_txtPlatform->selectAll();
            return;
        }
    }
    m_k = *k;
    m_earthwork = computeEarthwork(m_project, {zc, slopeX, slopeY});
    m_summary->setLines(earthworkSummary(m_earthwork, m_sloped, m_k));
    m_cells->setTexts(earthworkCells(m_earthwork));
}

BalanceDialog::BalanceDialog(const Project& project, Prompts& prompts, QWidget* parent)
    : EarthworkDialogFrame(project, prompts, earthworktitle::Balance, parent),
      m_picChart(new QLabel(this))
{
    setObjectName(QStringLiteral("frmBalanceCurve"));
    m_txtK = m_inputs->add("txtK", QStringLiteral("K"), QStringLiteral("1.00"));
    std::tie(m_txtSlopeX, m_txtSlopeY) = m_inputs->addSlopes();
    m_picChart->setObjectName(QStringLiteral("picChart"));
    m_picChart->setFixedSize(760, 420);
    finish(m_picChart);
}

void BalanceDialog::recompute()
{
    const auto k = readBox(m_txtK, m_prompts, isCompactionFactor);
    const auto x = k ? readBox(m_txtSlopeX, m_prompts, isSlopePercent) : std::nullopt;
    const auto y = x ? readBox(m_txtSlopeY, m_prompts, isSlopePercent) : std::nullopt;
    if (!y)
        return;
    const EarthworkGrid g = earthworkGrid(m_project, *x, *y);
    m_balance = computeBalance(g, *k);
    m_fixedPlatform.reset();
    m_fixedNet.reset();
    if (*x == 0 && *y == 0 && m_project.FixGradeGiven) {
        m_fixedPlatform = m_project.FixGradeElevation;
        m_fixedNet = balancePoint(g, *m_fixedPlatform, *k).net;
    }
    m_summary->setLines(balanceSummary(m_balance, m_fixedPlatform, m_fixedNet));
    QImage image(m_picChart->size(), QImage::Format_RGB32);
    {
        ImageSurface surface(image);
        surface.clear();
        DrawBalanceChart(surface, m_balance, m_fixedPlatform, 9);
    }
    m_picChart->setPixmap(QPixmap::fromImage(image));
}

SuspectDialog::SuspectDialog(const Project& project, Prompts& prompts, double factor, double floor,
                             QWidget* parent)
    : EarthworkDialogFrame(project, prompts, earthworktitle::Suspects, parent),
      m_rows(new TextTableModel(this)), m_factor(factor), m_floor(floor)
{
    setObjectName(QStringLiteral("frmSuspectHeights"));
    m_txtFactor =
        m_inputs->add("txtFactor", QStringLiteral("ตัวคูณค่าเบี่ยงเบน"), formatPicture(factor, 2));
    m_txtFloor =
        m_inputs->add("txtFloor", QStringLiteral("ผลต่างขั้นต่ำ"), formatPicture(floor, 3), Metres);
    finish(textTable(this, m_rows, "grdSuspects"));
}

void SuspectDialog::recompute()
{
    const auto factor = readBox(m_txtFactor, m_prompts, notNegative);
    const auto floor = factor ? readBox(m_txtFloor, m_prompts, notNegative) : std::nullopt;
    if (!floor)
        return;
    m_factor = *factor;
    m_floor = *floor;
    m_check = findSuspectHeights(m_project, m_factor, m_floor);
    m_summary->setLines(suspectSummary(m_check, m_factor, m_floor));
    m_rows->setTexts(suspectRows(m_check));
}

} // namespace tervan
