#include "project/heightscsv.h"

#include "common/boundedread.h"
#include "common/numbertext.h"

#include <QIODevice>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tervan {

namespace {

// Far more than the largest grid's file; a bigger file is not a list of heights.
constexpr qint64 MaxBytes = 16 * 1024 * 1024;
// Beyond any layout; a line with more is refused after counting this far.
constexpr qsizetype MaxFields = 64;
// Lines looked at for the separator and the header.
constexpr int SampleLines = 100;
constexpr int HeaderSearchLines = 50;

bool isUtf16(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    // Latin text in UTF-16 without a byte-order mark: every other byte is zero.
    const qsizetype n = std::min<qsizetype>(bytes.size(), 512);
    return n >= 4 && bytes.first(n).count('\0') * 3 >= n;
}

// The lines of a text ended by LF, CRLF or CR, numbered from 1.
class Lines
{
public:
    explicit Lines(QStringView text) : m_text(text) {}

    bool next(QStringView& line)
    {
        const qsizetype n = m_text.size();
        if (m_pos >= n)
            return false;
        qsizetype end = m_pos;
        while (end < n && m_text[end] != u'\n' && m_text[end] != u'\r')
            ++end;
        line = m_text.sliced(m_pos, end - m_pos);
        ++m_number;
        m_pos = end + (end + 1 < n && m_text[end] == u'\r' && m_text[end + 1] == u'\n' ? 2 : 1);
        return true;
    }
    int number() const { return m_number; }
    qsizetype position() const { return m_pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
    int m_number = 0;
};

struct SampleLine
{
    int number;
    QString text;
};

// How the lines are laid out, as far as the first lines tell.
struct Layout
{
    CsvSeparator separator = CsvSeparator::Comma;
    int headerLine = 0;   // 0 without a header
    int lastSkipped = 0;  // lines before the header that were skipped, up to this one
    qsizetype fields = 0; // per line
    std::optional<CsvColumns> named;
    qsizetype headerFields = 0; // of a header that names no order
};

bool isNumber(const QStringList& fields, int index, CsvSeparator separator)
{
    return index >= 0 && index < fields.size() &&
           readCsvNumber(fields[index], separator).kind == CsvNumber::Kind::Number;
}

Layout layoutOf(const std::vector<SampleLine>& sample)
{
    QStringList texts;
    for (const SampleLine& s : sample)
        texts << s.text.left(4096); // a huge line tells no more than its start
    // A header naming the columns may follow a block of job information.
    for (int i = 0; i < std::min<int>(HeaderSearchLines, int(sample.size())); ++i) {
        const CsvSeparator separator = detectCsvSeparator(texts.mid(i));
        const CsvSplit split = splitCsvLine(sample[i].text, separator, MaxFields);
        const auto named = split.problem == CsvSplit::Problem::None
                               ? columnsFromHeader(split.fields)
                               : std::nullopt;
        if (!named)
            continue;
        // Data above it means the file is no job block and header but something to refuse.
        const bool dataAbove = std::any_of(sample.begin(), sample.begin() + i, [&](const auto& s) {
            const CsvSplit above = splitCsvLine(s.text, separator, MaxFields);
            return above.count == named->count && isNumber(above.fields, named->east, separator) &&
                   isNumber(above.fields, named->north, separator);
        });
        if (dataAbove)
            break;
        return {separator, sample[i].number, i > 0 ? sample[i - 1].number : 0, named->count, named};
    }
    Layout layout;
    if (sample.empty())
        return layout;
    // The later lines are data; notes above them should not choose the separator.
    layout.separator = detectCsvSeparator(texts.mid(texts.size() / 2));
    const CsvSplit first = splitCsvLine(sample.front().text, layout.separator, MaxFields);
    layout.fields = first.count;
    // A header has a field that is no number at all and none that reads as one; a first line
    // of "nan" or "1e309" is a bad data line, not a header.
    bool text = false, number = false;
    for (const QString& f : first.fields) {
        const auto kind = readCsvNumber(f, layout.separator).kind;
        text = text || kind == CsvNumber::Kind::Text;
        number = number || kind == CsvNumber::Kind::Number;
    }
    if (first.problem == CsvSplit::Problem::None && text && !number) {
        layout.headerLine = sample.front().number;
        // The data decide the columns; a header of another width is said once, on its line.
        if (sample.size() > 1)
            layout.fields = splitCsvLine(sample[1].text, layout.separator, MaxFields).count;
        layout.headerFields = first.count;
    }
    return layout;
}

QString columnsMessage(qsizetype fields)
{
    if (fields > MaxFields)
        return QStringLiteral("มีมากกว่า %1 ช่อง").arg(MaxFields);
    return QStringLiteral("มี %1 ช่อง: ต้องเป็น ค่าระดับ / จุดที่ ค่าระดับ / X Y Z / ชื่อจุด X Y Z "
                          "(ช่องที่ห้าเป็นคำอธิบายได้)")
        .arg(fields);
}

QString splitProblem(const CsvSplit& split)
{
    switch (split.problem) {
    case CsvSplit::Problem::TooManyFields:
        return QStringLiteral("มีมากกว่า %1 ช่อง").arg(MaxFields);
    case CsvSplit::Problem::UnclosedQuote:
        return QStringLiteral("เครื่องหมายคำพูด (\") ไม่ครบคู่");
    case CsvSplit::Problem::TextAfterQuote:
        return QStringLiteral("มีข้อความต่อจากเครื่องหมายคำพูดปิด");
    case CsvSplit::Problem::None:
        break;
    }
    return {};
}

QString numberProblem(CsvNumber::Kind kind, QStringView field)
{
    return (kind == CsvNumber::Kind::TooLarge ? QStringLiteral("\"%1\" ใหญ่เกินไป")
                                              : QStringLiteral("\"%1\" ไม่ใช่ตัวเลข"))
        .arg(shownField(field));
}

// The node at a point, within 1 % of the spacing; a georeferenced grid takes world coordinates.
std::optional<int> nodeAt(double worldEast, double worldNorth, const Project& p)
{
    const double x = worldEast - worldX(p.Georef, 0), y = worldNorth - worldY(p.Georef, 0);
    const double spacing = p.GridSpacing;
    const double col = std::nearbyint(x / spacing), row = std::nearbyint(y / spacing);
    const double tolerance = 0.01 * spacing;
    if (!(col >= 0 && col < p.GridCols && row >= 0 && row < p.GridRows) ||
        std::abs(x - col * spacing) > tolerance || std::abs(y - row * spacing) > tolerance)
        return std::nullopt;
    return int(row) * p.GridCols + int(col) + 1;
}

class Progress
{
public:
    Progress(const HeightsCsvOptions& options, qsizetype size)
        : m_call(options.progress), m_size(size)
    {
    }
    void setPasses(int passes) { m_passes = passes; }
    void report(int pass, qsizetype position)
    {
        if (!m_call || m_size == 0)
            return;
        const int percent = int((pass * 100 + position * 100 / m_size) / m_passes);
        if (percent != m_last)
            m_call(m_last = percent);
    }

private:
    std::function<void(int)> m_call;
    qsizetype m_size;
    int m_passes = 1;
    int m_last = -1;
};

// The two ways round the coordinates of a header-less file of `fields` columns.
std::optional<std::pair<CsvColumns, CsvColumns>> ordersFor(qsizetype fields)
{
    const char* eastFirst[] = {"xyz", "pxyz", "penzd"};
    const char* northFirst[] = {"nez", "pnez", "pnezd"};
    if (fields < 3 || fields > 5)
        return std::nullopt;
    return std::pair{*columnsFromCode(QString::fromLatin1(eastFirst[fields - 3])),
                     *columnsFromCode(QString::fromLatin1(northFirst[fields - 3]))};
}

} // namespace

QString columnOrderQuestion()
{
    return QStringLiteral("แฟ้มไม่บอกว่าคอลัมน์ใดเป็นค่าพิกัดเหนือ (N) และคอลัมน์ใดเป็นค่าพิกัดตะวันออก (E)");
}

QString andMore(qsizetype count)
{
    return QStringLiteral("และอีก %1 รายการ").arg(count);
}

HeightsRead readHeightsCsv(QIODevice& in, const Project& p, const HeightsCsvOptions& options)
{
    using Errors = std::vector<HeightLineError>;
    const std::optional<QByteArray> read = readAtMost(in, MaxBytes);
    if (!read)
        return Errors{{0, QStringLiteral("แฟ้มใหญ่เกินไป")}};
    const QByteArray& bytes = *read;
    if (isUtf16(bytes))
        return Errors{{0, QStringLiteral("ไม่อ่านแฟ้ม UTF-16: โปรดบันทึกแฟ้มเป็น UTF-8")}};
    const QString text = decodeCsvText(bytes);
    Progress progress(options, text.size());

    std::vector<SampleLine> sample;
    {
        Lines lines(text);
        QStringView line;
        while (int(sample.size()) < SampleLines && lines.next(line))
            if (!line.trimmed().isEmpty())
                sample.push_back({lines.number(), line.toString()});
    }
    if (sample.empty())
        return Errors{{0, QStringLiteral("ไม่มีค่าระดับในแฟ้ม")}};
    const Layout layout = layoutOf(sample);
    const CsvSeparator separator = layout.separator;
    const qsizetype fields = layout.fields;
    if (layout.headerFields != 0 && layout.headerFields != fields)
        return Errors{{layout.headerLine, QStringLiteral("หัวตารางมี %1 ช่อง แต่บรรทัดข้อมูลมี %2 ช่อง")
                                              .arg(layout.headerFields)
                                              .arg(fields)}};

    std::optional<CsvColumns> columns = layout.named;
    if (options.columns) {
        if (layout.named && *layout.named != *options.columns)
            return Errors{{layout.headerLine, QStringLiteral("หัวตารางบอกลำดับคอลัมน์ต่างจากที่กำหนด (%1)")
                                                  .arg(csvColumnCode(*options.columns))}};
        if (options.columns->count != fields)
            return Errors{{0, QStringLiteral("ลำดับคอลัมน์ %1 มี %2 ช่อง แต่แฟ้มมี %3 ช่อง")
                                  .arg(csvColumnCode(*options.columns))
                                  .arg(options.columns->count)
                                  .arg(fields)}};
        columns = options.columns;
    }
    if (fields >= 3 && p.GridSpacing <= 0)
        return Errors{{0, QStringLiteral("ระยะกริดเป็น 0 จึงจับคู่พิกัดกับจุดกริดไม่ได้")}};
    if (fields > 5 && !columns)
        return Errors{{layout.headerLine > 0 ? layout.headerLine : sample.front().number,
                       columnsMessage(fields)}};

    // Every line of data, split, with its number; false from the visitor stops the walk.
    const auto eachLine = [&](int pass, const auto& visit) {
        Lines lines(text);
        QStringView line;
        while (lines.next(line)) {
            if ((lines.number() & 0xFFF) == 0)
                progress.report(pass, lines.position());
            if (lines.number() <= layout.headerLine || line.trimmed().isEmpty())
                continue;
            if (!visit(lines.number(), line, splitCsvLine(line, separator, MaxFields)))
                break;
        }
    };

    int pass = 0;
    if (fields >= 3 && !columns) {
        // Without a header the grid decides the order when only one way fits it.
        // Named copies, not a structured binding: clang before 16 cannot capture bindings.
        const auto orders = *ordersFor(fields);
        const CsvColumns eastFirst = orders.first, northFirst = orders.second;
        bool eastFits = true, northFits = true, differ = false;
        QStringList shown;
        progress.setPasses(2);
        eachLine(pass++, [&](int, QStringView line, const CsvSplit& split) {
            if (shown.size() < 5)
                shown << line.toString();
            if (split.count != fields || split.problem != CsvSplit::Problem::None)
                return true;
            const CsvNumber a = readCsvNumber(split.fields[eastFirst.east], separator);
            const CsvNumber b = readCsvNumber(split.fields[eastFirst.north], separator);
            if (a.kind != CsvNumber::Kind::Number || b.kind != CsvNumber::Kind::Number)
                return true;
            const auto asXy = nodeAt(a.value, b.value, p), asNe = nodeAt(b.value, a.value, p);
            eastFits = eastFits && asXy;
            northFits = northFits && asNe;
            differ = differ || asXy != asNe;
            return eastFits || northFits;
        });
        if (eastFits && northFits && differ)
            return ColumnOrderUnknown{int(fields), shown};
        columns = !eastFits && northFits ? northFirst : eastFirst;
    }

    Errors errors;
    qsizetype unlisted = 0;
    std::vector<NodeHeight> heights;
    std::vector<int> givenOn(std::size_t(p.NodeCount) + 1, 0);
    int dataLines = 0;
    eachLine(pass, [&](int number, QStringView, const CsvSplit& split) {
        const auto bad = [&](const QString& reason) {
            if (errors.size() < MaxListedErrors)
                errors.push_back({number, reason});
            else
                ++unlisted;
            return true;
        };
        ++dataLines;
        if (split.problem != CsvSplit::Problem::None)
            return bad(splitProblem(split));
        if (split.count != fields)
            return bad(
                QStringLiteral("มี %1 ช่อง ไม่เท่ากับบรรทัดแรก (%2 ช่อง)").arg(split.count).arg(fields));
        const auto readField = [&](int index, double& value) {
            const CsvNumber n = readCsvNumber(split.fields[index], separator);
            if (n.kind != CsvNumber::Kind::Number) {
                bad(numberProblem(n.kind, split.fields[index]));
                return false;
            }
            value = n.value;
            return true;
        };
        const int zColumn = columns ? columns->elevation : int(fields) - 1;
        double x = 0, y = 0, nodeNumber = 0, zValue = 0;
        if (columns && (!readField(columns->east, x) || !readField(columns->north, y)))
            return true;
        if (fields == 2 && !readField(0, nodeNumber))
            return true;
        if (!readField(zColumn, zValue))
            return true;
        const auto z = float(zValue);
        if (!std::isfinite(z))
            return bad(QStringLiteral("ค่าระดับใหญ่เกินไป"));

        int node = 0;
        if (fields == 1) {
            node = dataLines;
            if (node > p.NodeCount)
                return bad(QStringLiteral("เกินจำนวนจุดของกริด (%1 จุด)").arg(p.NodeCount));
        } else if (fields == 2) {
            if (nodeNumber != std::floor(nodeNumber) || nodeNumber < 1 || nodeNumber > p.NodeCount)
                return bad(QStringLiteral("ไม่มีจุดที่ %1 ในกริด (จุดที่ 1 ถึง %2)")
                               .arg(shownField(split.fields[0]))
                               .arg(p.NodeCount));
            node = int(nodeNumber);
        } else {
            const auto at = nodeAt(x, y, p);
            if (!at)
                return bad(QStringLiteral("จุด (%1, %2) ไม่ตรงกับจุดกริดใด")
                               .arg(shownField(split.fields[columns->east]),
                                    shownField(split.fields[columns->north])));
            node = *at;
        }
        if (givenOn[node] != 0)
            return bad(QStringLiteral("จุดที่ %1 ซ้ำกับบรรทัดที่ %2").arg(node).arg(givenOn[node]));
        givenOn[node] = number;
        heights.push_back({node, z});
        return true;
    });
    progress.report(pass, text.size());
    if (dataLines == 0)
        return Errors{{0, QStringLiteral("ไม่มีค่าระดับในแฟ้ม")}};

    if (fields == 1 && errors.empty() && qsizetype(heights.size()) < p.NodeCount)
        errors.push_back({0, QStringLiteral("มีค่าระดับ %1 ค่า น้อยกว่าจำนวนจุด %2 จุด")
                                 .arg(heights.size())
                                 .arg(p.NodeCount)});
    if (unlisted > 0)
        errors.push_back({0, andMore(unlisted)});
    if (!errors.empty())
        return errors;
    HeightsTaken taken{std::move(heights), {}};
    if (layout.lastSkipped > 0)
        taken.notes
            << QStringLiteral("ข้ามบรรทัดที่ 1 ถึง %1 ที่อยู่ก่อนหัวตารางและไม่ใช่ข้อมูล").arg(layout.lastSkipped);
    return taken;
}

std::vector<int> nodesNotGiven(const Project& p, const std::vector<NodeHeight>& heights)
{
    std::vector<bool> given(std::size_t(p.NodeCount) + 1, false);
    for (const NodeHeight& h : heights)
        if (h.node >= 1 && h.node <= p.NodeCount)
            given[h.node] = true;
    std::vector<int> missing;
    for (int n = 1; n <= p.NodeCount; ++n)
        if (!given[n])
            missing.push_back(n);
    return missing;
}

QStringList nodeRuns(const std::vector<int>& nodes)
{
    QStringList runs;
    qsizetype unlisted = 0;
    for (std::size_t i = 0; i < nodes.size();) {
        std::size_t j = i;
        while (j + 1 < nodes.size() && nodes[j + 1] == nodes[j] + 1)
            ++j;
        if (runs.size() < MaxListedErrors)
            runs << (j == i ? QStringLiteral("จุดที่ %1").arg(nodes[i])
                            : QStringLiteral("จุดที่ %1–%2").arg(nodes[i]).arg(nodes[j]));
        else
            ++unlisted;
        i = j + 1;
    }
    if (unlisted > 0)
        runs << andMore(unlisted);
    return runs;
}

void applyHeights(Project& p, const std::vector<NodeHeight>& heights)
{
    for (const NodeHeight& h : heights)
        if (h.node >= 1 && h.node <= p.NodeCount && std::size_t(h.node) < p.Nodes.size())
            p.Nodes[h.node].Z = h.z;
    if (p.NodeCount > 0)
        p.ComputeElevationRange();
}

QByteArray writeHeightsCsv(const Project& p)
{
    QString text = QStringLiteral("node,x,y,elevation\n");
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int n = 1; n <= count; ++n) {
        const NodePoint& node = p.Nodes[n];
        // World coordinates are too large for a float's shortest text to keep millimetres.
        const auto coordinate = [&](double grid, double world) {
            return p.Georef ? QString::number(world, 'f', 3) : shortestText(float(grid));
        };
        text += QStringLiteral("%1,%2,%3,%4\n")
                    .arg(n)
                    .arg(coordinate(node.X, worldX(p.Georef, node.X)),
                         coordinate(node.Y, worldY(p.Georef, node.Y)), shortestText(node.Z));
    }
    return text.toUtf8();
}

} // namespace tervan
