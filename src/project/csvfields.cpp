#include "project/csvfields.h"

#include "common/numbertext.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tervan {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QChar charOf(CsvSeparator separator)
{
    switch (separator) {
    case CsvSeparator::Semicolon:
        return u';';
    case CsvSeparator::Tab:
        return u'\t';
    case CsvSeparator::Blanks:
        return u' ';
    case CsvSeparator::Comma:
        break;
    }
    return u',';
}

// Walks the fields of a line, handing each one's text (without its quotes) to sink, which
// returns false to stop. Quoted text still has its doubled quotes.
template <typename Emit>
CsvSplit::Problem walkFields(QStringView line, CsvSeparator separator, Emit sink)
{
    const bool blanks = separator == CsvSeparator::Blanks;
    const QChar sep = charOf(separator);
    const qsizetype n = line.size();
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < n && isBlank(line[i]) && (blanks || line[i] != sep))
            ++i;
    };
    const auto atSeparator = [&] { return blanks ? isBlank(line[i]) : line[i] == sep; };
    skipBlanks();
    if (blanks && i == n)
        return CsvSplit::Problem::None;
    for (;;) {
        skipBlanks();
        bool quoted = false;
        QStringView text;
        if (i < n && line[i] == u'"') {
            qsizetype j = i + 1;
            for (;;) {
                j = line.indexOf(u'"', j);
                if (j < 0)
                    return CsvSplit::Problem::UnclosedQuote;
                if (j + 1 < n && line[j + 1] == u'"') {
                    j += 2;
                    continue;
                }
                break;
            }
            quoted = true;
            text = line.sliced(i + 1, j - i - 1);
            i = j + 1;
            if (!blanks)
                skipBlanks();
            if (i < n && !atSeparator())
                return CsvSplit::Problem::TextAfterQuote;
        } else {
            const qsizetype start = i;
            while (i < n && !atSeparator())
                ++i;
            text = line.sliced(start, i - start).trimmed();
        }
        if (!sink(text, quoted))
            return CsvSplit::Problem::TooManyFields;
        if (i >= n)
            return CsvSplit::Problem::None;
        if (blanks) {
            skipBlanks();
            if (i >= n)
                return CsvSplit::Problem::None;
        } else {
            ++i;
            if (i == n)
                return sink(QStringView(), false) ? CsvSplit::Problem::None
                                                  : CsvSplit::Problem::TooManyFields;
        }
    }
}

// Whether the separator stands on the line outside quotes.
bool hasOutsideQuotes(QStringView line, QChar separator)
{
    bool inQuotes = false;
    for (const QChar c : line) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (c == separator && !inQuotes)
            return true;
    }
    return false;
}

QString normalisedName(QStringView field)
{
    QString name = field.trimmed().toString().toLower();
    const qsizetype unit = name.indexOf(QRegularExpression(QStringLiteral("[\\(\\[]")));
    if (unit > 0)
        name.truncate(unit);
    name.remove(QRegularExpression(QStringLiteral("[\\s_.\\-:]")));
    return name;
}

enum class Role {
    Other,
    Name,
    East,
    North,
    Elevation,
    Description,
    Latitude,
    Longitude,
};

Role roleOf(const QString& name)
{
    static const QHash<QString, Role> roles = [] {
        QHash<QString, Role> r;
        const auto add = [&r](Role role, std::initializer_list<const char16_t*> names) {
            for (const char16_t* n : names)
                r.insert(QString::fromUtf16(n), role);
        };
        add(Role::Name, {u"p",    u"pt",  u"pnt",   u"point", u"pointid", u"pointno", u"pointname",
                         u"name", u"id",  u"no",    u"node",  u"station", u"stn",     u"ชื่อจุด",
                         u"ชื่อ",   u"หมุด", u"ชื่อหมุด", u"จุด",    u"จุดที่",     u"รหัสจุด",   u"เลขจุด"});
        add(Role::North, {u"n", u"north", u"northing", u"northings", u"y", u"เหนือ", u"ค่าเหนือ",
                          u"พิกัดเหนือ", u"ค่าพิกัดเหนือ", u"ทิศเหนือ", u"ค่าn"});
        add(Role::East, {u"e", u"east", u"easting", u"eastings", u"x", u"ตะวันออก", u"ค่าตะวันออก",
                         u"พิกัดตะวันออก", u"ค่าพิกัดตะวันออก", u"ทิศตะวันออก", u"ค่าe"});
        add(Role::Elevation,
            {u"z", u"h", u"el", u"elev", u"elevation", u"height", u"rl", u"level", u"alt",
             u"altitude", u"ค่าระดับ", u"ระดับ", u"ความสูง", u"ค่าความสูง", u"ระดับความสูง", u"ค่าz",
             // A stake-out file's design level is the surface it sets out.
             u"design", u"designlevel", u"ระดับออกแบบ"});
        add(Role::Latitude, {u"lat", u"latitude", u"ละติจูด", u"ค่าละติจูด"});
        add(Role::Longitude, {u"lon", u"long", u"lng", u"longitude", u"ลองจิจูด", u"ค่าลองจิจูด"});
        add(Role::Description, {u"d", u"desc", u"descr", u"description", u"code", u"remark",
                                u"remarks", u"note", u"คำอธิบาย", u"หมายเหตุ", u"รหัส"});
        return r;
    }();
    return roles.value(name, Role::Other);
}

void place(CsvColumns& columns, Role role, int index, bool& twice)
{
    int* slot = nullptr;
    switch (role) {
    case Role::Name:
        slot = &columns.name;
        break;
    case Role::Longitude:
        columns.geographic = true;
        [[fallthrough]];
    case Role::East:
        slot = &columns.east;
        break;
    case Role::Latitude:
        columns.geographic = true;
        [[fallthrough]];
    case Role::North:
        slot = &columns.north;
        break;
    case Role::Elevation:
        slot = &columns.elevation;
        break;
    case Role::Description:
        slot = &columns.description;
        break;
    case Role::Other:
        return;
    }
    if (*slot >= 0)
        twice = true;
    *slot = index;
}

Role roleOfLetter(QChar c)
{
    switch (c.toLower().unicode()) {
    case u'p':
        return Role::Name;
    case u'n':
    case u'y':
        return Role::North;
    case u'e':
    case u'x':
        return Role::East;
    case u'z':
        return Role::Elevation;
    case u'd':
        return Role::Description;
    default:
        return Role::Other;
    }
}

// Sign, digits with at most one decimal point, optional exponent; ASCII only. exponent10 is
// the decimal exponent of the leading digit, to tell overflow from underflow.
bool isPlainDecimal(QStringView text, long long& exponent10)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    long long intDigits = 0, leadingZeros = 0, fractionZeros = 0;
    bool any = false, nonZeroSeen = false, point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            any = true;
            if (c != u'0')
                nonZeroSeen = true;
            if (!point) {
                if (nonZeroSeen)
                    ++intDigits;
                else
                    ++leadingZeros;
            } else if (!nonZeroSeen) {
                ++fractionZeros;
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any)
        return false;
    long long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            negative = text[i++] == u'-';
        const qsizetype digitsAt = i;
        for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i)
            exponent = std::min<long long>(exponent * 10 + (text[i].unicode() - u'0'), 1'000'000);
        if (i == digitsAt)
            return false;
        if (negative)
            exponent = -exponent;
    }
    exponent10 = exponent + (intDigits > 0 ? intDigits - 1 : -fractionZeros - 1);
    return i == n;
}

bool looksNumeric(QStringView text)
{
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-'))
        text = text.sliced(1);
    if (text.startsWith(u"nan", Qt::CaseInsensitive) ||
        text.startsWith(u"inf", Qt::CaseInsensitive))
        return true;
    if (text.isEmpty())
        return false;
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    return digit(text[0]) || (text[0] == u'.' && text.size() > 1 && digit(text[1]));
}

} // namespace

CsvSeparator detectCsvSeparator(const QStringList& sampleLines)
{
    for (const CsvSeparator candidate :
         {CsvSeparator::Tab, CsvSeparator::Semicolon, CsvSeparator::Comma}) {
        const QChar c = charOf(candidate);
        for (const QString& line : sampleLines)
            if (hasOutsideQuotes(line, c))
                return candidate;
    }
    int lines = 0, spaced = 0;
    for (const QString& line : sampleLines) {
        const QStringView text = QStringView(line).trimmed();
        if (text.isEmpty())
            continue;
        ++lines;
        if (hasOutsideQuotes(text, u' '))
            ++spaced;
    }
    return lines > 0 && spaced * 2 > lines ? CsvSeparator::Blanks : CsvSeparator::Comma;
}

CsvSplit splitCsvLine(QStringView line, CsvSeparator separator, qsizetype maxFields)
{
    CsvSplit split;
    split.problem =
        walkFields(line, separator, [&](QStringView, bool) { return ++split.count <= maxFields; });
    if (split.problem != CsvSplit::Problem::None)
        return split;
    split.fields.reserve(split.count);
    walkFields(line, separator, [&](QStringView text, bool quoted) {
        QString field = text.toString();
        if (quoted)
            field.replace(QStringLiteral("\"\""), QStringLiteral("\""));
        split.fields.push_back(field);
        return true;
    });
    return split;
}

CsvNumber readCsvNumber(QStringView field, CsvSeparator separator)
{
    // Nearly every field is a plain ASCII decimal: read it in place, without the copies the
    // general reading makes, which were most of the time of reading a large survey.
    if (const QStringView plain = field.trimmed(); plain.size() <= 40) {
        char ascii[48];
        qsizetype n = 0, digits = 0, points = 0;
        bool plainAscii = !plain.isEmpty();
        for (qsizetype i = 0; plainAscii && i < plain.size(); ++i) {
            const char16_t c = plain[i].unicode();
            const bool sign = i == 0 && (c == u'-' || c == u'+');
            digits += c >= u'0' && c <= u'9';
            points += c == u'.';
            plainAscii = sign || (c >= u'0' && c <= u'9') || c == u'.';
            if (c != u'+')
                ascii[n++] = char(c);
        }
        double value = 0;
        if (plainAscii && digits > 0 && points <= 1) {
            const auto [end, error] = std::from_chars(ascii, ascii + n, value);
            if (error == std::errc() && end == ascii + n && std::isfinite(value))
                return {CsvNumber::Kind::Number, value};
        }
    }
    QString text = withAsciiDigits(field.trimmed().toString());
    if (separator == CsvSeparator::Semicolon && text.count(u',') == 1 && !text.contains(u'.'))
        text.replace(u',', u'.');
    long long exponent10 = 0;
    if (!isPlainDecimal(text, exponent10))
        return {looksNumeric(text) ? CsvNumber::Kind::Malformed : CsvNumber::Kind::Text, 0};
    const QByteArray latin = text.toLatin1();
    const char* begin = latin.constData() + (latin.startsWith('+') ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(begin, latin.constData() + latin.size(), value);
    if (error == std::errc::result_out_of_range)
        return exponent10 > 0 ? CsvNumber{CsvNumber::Kind::TooLarge, 0}
                              : CsvNumber{CsvNumber::Kind::Number, 0};
    if (error != std::errc() || end != latin.constData() + latin.size() || !std::isfinite(value))
        return {CsvNumber::Kind::Malformed, 0};
    return {CsvNumber::Kind::Number, value};
}

std::optional<CsvColumns> columnsFromHeader(const QStringList& fields)
{
    CsvColumns columns;
    columns.count = int(fields.size());
    bool twice = false;
    for (int i = 0; i < columns.count; ++i)
        place(columns, roleOf(normalisedName(fields[i])), i, twice);
    if (twice || columns.east < 0 || columns.north < 0 || columns.elevation < 0)
        return std::nullopt;
    return columns;
}

const QStringList& csvColumnCodes()
{
    static const QStringList codes{QStringLiteral("xyz"),   QStringLiteral("enz"),
                                   QStringLiteral("nez"),   QStringLiteral("pxyz"),
                                   QStringLiteral("penz"),  QStringLiteral("pnez"),
                                   QStringLiteral("penzd"), QStringLiteral("pnezd")};
    return codes;
}

std::optional<CsvColumns> columnsFromCode(QStringView code)
{
    if (!csvColumnCodes().contains(code.toString().toLower()))
        return std::nullopt;
    CsvColumns columns;
    columns.count = int(code.size());
    bool twice = false;
    for (int i = 0; i < columns.count; ++i)
        place(columns, roleOfLetter(code[i]), i, twice);
    return columns;
}

QString csvColumnCode(const CsvColumns& columns)
{
    for (const QString& code : csvColumnCodes())
        if (columnsFromCode(code) == columns)
            return code;
    return {};
}

QString shownField(QStringView field)
{
    constexpr qsizetype Longest = 40;
    const QStringView text = field.trimmed();
    return text.size() <= Longest ? text.toString() : text.first(Longest).toString() + u'…';
}

QString decodeCsvText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QStringDecoder("windows-874").decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace tervan
