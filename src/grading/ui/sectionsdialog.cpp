#include "grading/ui/sectionsdialog.h"

#include "common/numbertext.h"
#include "common/outputfile.h"
#include "grading/sectionchart.h"
#include "grading/sectiontexts.h"
#include "grading/ui/earthworkparts.h"
#include "graphics/imagesurface.h"
#include "project/ui/prompts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tervan {

namespace {

constexpr int ChartWidth = 760, ChartHeight = 230;
// More charts than this make a picture too tall to be any use on screen; the print has all.
constexpr int MostCharts = 40;

QImage chartImage(const std::vector<SectionPoint>& profile, double low, double high,
                  const QString& title, const QString& distance)
{
    QImage image(ChartWidth, ChartHeight, QImage::Format_RGB32);
    ImageSurface surface(image);
    surface.clear();
    DrawProfileChart(surface, profile, low, high, title, distance, 9);
    return image;
}

} // namespace

SectionsDialog::SectionsDialog(const EarthworkGrid& ground, const EarthworkGrid& design,
                               QPointF origin, const std::vector<QPointF>& line, Prompts& prompts,
                               Print print, SaveDxf saveDxf, QWidget* parent)
    : QDialog(parent), m_ground(ground), m_design(design), m_origin(origin), m_prompts(prompts),
      m_print(std::move(print)), m_saveDxf(std::move(saveDxf))
{
    setObjectName(QStringLiteral("frmSections"));
    setWindowTitle(QStringLiteral("หน้าตัดขวางและรูปตัดตามยาว"));
    auto* inputs = new QWidget(this);
    auto* form = new QFormLayout(inputs);
    m_line = new QPlainTextEdit(inputs);
    m_line->setObjectName(QStringLiteral("txtSectionLine"));
    m_line->setTabChangesFocus(true);
    m_line->setMaximumHeight(110);
    QStringList points;
    for (const QPointF& p : line)
        points << QStringLiteral("%1, %2").arg(formatPicture(p.x() + origin.x(), 3),
                                               formatPicture(p.y() + origin.y(), 3));
    m_line->setPlainText(points.join(QLatin1Char('\n')));
    form->addRow(QStringLiteral("แนว (ตะวันออก, เหนือ ทีละบรรทัด)"), m_line);
    m_every = new QLineEdit(QStringLiteral("10.00"), inputs);
    m_every->setObjectName(QStringLiteral("txtSectionEvery"));
    form->addRow(QStringLiteral("ระยะห่างหน้าตัด (ม.)"), m_every);
    m_width = new QLineEdit(QStringLiteral("20.00"), inputs);
    m_width->setObjectName(QStringLiteral("txtSectionWidth"));
    form->addRow(QStringLiteral("ความกว้างหน้าตัด (ม.)"), m_width);
    m_problem = new QLabel(inputs);
    m_problem->setObjectName(QStringLiteral("lblSectionProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->setWordWrap(true);
    form->addRow(m_problem);
    m_totals = new QLabel(inputs);
    m_totals->setObjectName(QStringLiteral("lblSectionTotals"));
    m_totals->setWordWrap(true);
    form->addRow(m_totals);

    m_table = new TextTableModel(this);
    auto* table = new QTableView(inputs);
    table->setObjectName(QStringLiteral("grdSections"));
    table->setModel(m_table);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    form->addRow(table);

    m_preview = new QLabel;
    m_preview->setObjectName(QStringLiteral("picSections"));
    m_preview->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_preview);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(ChartWidth + 30);

    auto* split = new QSplitter(this);
    split->addWidget(inputs);
    split->addWidget(scroll);
    split->setStretchFactor(1, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text, auto run) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, run);
        buttons->addWidget(b);
        return b;
    };
    button("cmdSectionsCompute", QStringLiteral("คำนวณ"), [this] { compute(); })->setDefault(true);
    button("cmdSectionsPrint", QStringLiteral("พิมพ์"), [this] {
        if (compute())
            m_print(*m_result, m_everyUsed, m_widthUsed);
    });
    button("cmdSectionsCsv", QStringLiteral("บันทึกตาราง CSV…"), [this] { saveCsv(); });
    button("cmdSectionsDxf", QStringLiteral("บันทึกหน้าตัด DXF…"), [this] { saveDxfFile(); });
    buttons->addStretch(1);
    button("cmdSectionsClose", QStringLiteral("ปิด"), [this] { reject(); });

    auto* column = new QVBoxLayout(this);
    column->addWidget(split, 1);
    column->addLayout(buttons);
    resize(1400, 850);
    if (!line.empty())
        compute();
}

bool SectionsDialog::compute()
{
    m_result.reset();
    std::vector<QPointF> line;
    static const QRegularExpression apart(QStringLiteral("[,\\s]+"));
    const QStringList lines = m_line->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString why;
    for (int i = 0; i < lines.size() && why.isEmpty(); ++i) {
        const QStringList xy = lines[i].trimmed().split(apart, Qt::SkipEmptyParts);
        const auto x = xy.size() == 2 ? readLocaleNumber(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? readLocaleNumber(xy[1]) : std::nullopt;
        if (!x || !y)
            why = QStringLiteral("จุดที่ %1 ของแนวต้องเป็นค่าตะวันออกและเหนือสองค่า").arg(i + 1);
        else
            line.emplace_back(*x - m_origin.x(), *y - m_origin.y());
    }
    const auto every = readLocaleNumber(m_every->text().trimmed());
    const auto width = readLocaleNumber(m_width->text().trimmed());
    if (why.isEmpty() && (!every || !width))
        why = QStringLiteral("ระยะห่างและความกว้างหน้าตัดต้องเป็นตัวเลข");
    if (why.isEmpty())
        why = sectionLineProblem(line, *every, *width, m_ground);
    m_problem->setText(why);
    if (!why.isEmpty()) {
        m_table->setTexts({});
        m_totals->clear();
        m_preview->clear();
        return false;
    }
    m_everyUsed = *every, m_widthUsed = *width;
    m_result = crossSections(m_ground, m_design, line, *every, *width);
    m_table->setTexts(sectionsTable(*m_result));
    QStringList totals;
    for (const SummaryLine& s : sectionsSummary(*m_result, *every, *width))
        totals << QStringLiteral("%1  %2 %3").arg(s.label, s.value, s.unit);
    m_totals->setText(totals.join(QLatin1Char('\n')));
    drawPreview();
    return true;
}

void SectionsDialog::drawPreview()
{
    const SectionsResult& r = *m_result;
    std::vector<QImage> charts;
    std::vector<SectionPoint> along;
    for (const Section& s : r.longProfile)
        along.push_back({s.chainage, s.profile.front().ground, s.profile.front().design});
    const auto [low, high] = levelRange(r.longProfile);
    charts.push_back(chartImage(along, low, high, QStringLiteral("รูปตัดตามยาว"),
                                QStringLiteral("ระยะสะสม (ม.)")));
    const auto [lowest, highest] = levelRange(r.stations);
    for (std::size_t i = 0; i < r.stations.size() && int(i) < MostCharts; ++i) {
        const Section& s = r.stations[i];
        charts.push_back(
            chartImage(s.profile, lowest, highest,
                       QStringLiteral("ระยะสะสม %1   พื้นที่ตัด %2 ตร.ม.   พื้นที่ถม %3 ตร.ม.")
                           .arg(formatPicture(s.chainage, 3), formatPicture(s.cutArea, 2),
                                formatPicture(s.fillArea, 2)),
                       QStringLiteral("ระยะจากแนว (ม.)")));
    }
    QImage sheet(ChartWidth, int(charts.size()) * (ChartHeight + 8), QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < charts.size(); ++i)
        painter.drawImage(0, int(i) * (ChartHeight + 8), charts[i]);
    painter.end();
    m_preview->setPixmap(QPixmap::fromImage(sheet));
}

void SectionsDialog::saveCsv()
{
    if (!compute())
        return;
    const QString name = m_prompts.pickSaveName(QStringLiteral("ตารางปริมาตร (*.csv)"), QString());
    if (name.isEmpty())
        return;
    if (const QString failed = writeOutputBytes(name, sectionsCsv(*m_result)); !failed.isEmpty())
        m_prompts.notice(failed);
}

void SectionsDialog::saveDxfFile()
{
    if (!compute())
        return;
    const QString name = m_prompts.pickSaveName(QStringLiteral("หน้าตัด DXF (*.dxf)"), QString());
    if (name.isEmpty())
        return;
    if (const QString failed = m_saveDxf(*m_result, name); !failed.isEmpty())
        m_prompts.notice(failed);
}

} // namespace tervan
