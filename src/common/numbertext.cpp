#include "common/numbertext.h"

#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tervan {

namespace {

constexpr int kMaxDecimals = 40;
// Longest fixed text of a double: sign, 309 integer digits, point, decimals, one carry digit.
constexpr int kFixedBufferSize = 1 + 309 + 1 + kMaxDecimals + 1 + 1 + 8;
// Exponents beyond this are far past the double range either way.
constexpr qint64 kExponentCap = 999999;
// With a 64-bit long double mantissa, |value| * 10^decimals is exact for up to four decimals
// (53 + 10 bits), which lets labels skip the slower exact printing of to_chars.
constexpr int kFastDecimals = std::numeric_limits<long double>::digits >= 64 ? 4 : -1;
// Keeps the scaled value below 2^64.
constexpr double kFastLimit = 1e15;

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan"); // no "-nan": the sign of a NaN means nothing to a user
    return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
}

// Adds one unit in the last place of the digits in [begin, end) (a '.' may be among them),
// growing the text by one leading '1' on carry out. Returns the new end.
char* incrementMagnitude(char* begin, char* end)
{
    for (char* p = end; p != begin;) {
        --p;
        if (*p == '.')
            continue;
        if (*p != '9') {
            ++*p;
            return end;
        }
        *p = '0';
    }
    std::memmove(begin + 1, begin, end - begin);
    *begin = '1';
    return end + 1;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// ASCII or Thai digit, as its ASCII character; 0 for anything else.
char digitOf(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return char(c.unicode());
    if (c >= u'\u0E50' && c <= u'\u0E59')
        return char('0' + (c.unicode() - 0x0E50));
    return 0;
}

bool isExponentMarker(QChar c)
{
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

// Writes the general form into out (room for 32 chars) and returns its length.
int writeGeneralForm(float value, char* out)
{
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return 3;
    }
    if (std::isinf(value)) {
        const char* text = value < 0 ? "-inf" : "inf";
        const int length = int(std::strlen(text));
        std::memcpy(out, text, length);
        return length;
    }

    // to_chars rounds correctly and carries into the exponent (9999999.5 -> 1.000000e+07).
    char sci[32];
    const auto result =
        std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 6);
    const char* p = sci;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[7];
    int count = 0;
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            digits[count++] = *p;
    }
    ++p;
    const bool negativeExponent = *p == '-';
    ++p;
    int exponent = 0;
    for (; p != result.ptr; ++p)
        exponent = exponent * 10 + (*p - '0');
    if (negativeExponent)
        exponent = -exponent;

    while (count > 1 && digits[count - 1] == '0')
        --count;
    if (count == 1 && digits[0] == '0') {
        out[0] = '0'; // also for -0.0f
        return 1;
    }

    char* o = out;
    if (negative)
        *o++ = '-';
    if (exponent >= 7 || exponent < -4) {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = '.';
            for (int i = 1; i < count; ++i)
                *o++ = digits[i];
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10)
            *o++ = '0';
        o = std::to_chars(o, out + 32, magnitude).ptr;
    } else if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            *o++ = i < count ? digits[i] : '0';
        if (count > exponent + 1) {
            *o++ = '.';
            for (int i = exponent + 1; i < count; ++i)
                *o++ = digits[i];
        }
    } else {
        *o++ = '0';
        *o++ = '.';
        for (int i = 1; i < -exponent; ++i)
            *o++ = '0';
        for (int i = 0; i < count; ++i)
            *o++ = digits[i];
    }
    return int(o - out);
}

// Fixed text of a finite value with |value| < kFastLimit and decimals <= kFastDecimals.
int writePictureFast(double value, int decimals, char* out)
{
    static constexpr long double kPowers[] = {1.0L, 10.0L, 100.0L, 1000.0L, 10000.0L};
    const long double scaled = std::fabs(static_cast<long double>(value)) * kPowers[decimals];
    long double whole = std::floor(scaled);
    if (scaled - whole >= 0.5L)
        whole += 1.0L;
    const auto units = static_cast<std::uint64_t>(whole);

    char digits[24];
    int count = int(std::to_chars(digits, digits + sizeof digits, units).ptr - digits);
    // Leading zeros so there is at least one digit before the point.
    if (count <= decimals) {
        const int pad = decimals + 1 - count;
        std::memmove(digits + pad, digits, count);
        std::memset(digits, '0', pad);
        count = decimals + 1;
    }
    char* o = out;
    if (value < 0 && units != 0)
        *o++ = '-';
    const int integerDigits = count - decimals;
    o = std::copy(digits, digits + integerDigits, o);
    if (decimals > 0) {
        *o++ = '.';
        o = std::copy(digits + integerDigits, digits + count, o);
    }
    return int(o - out);
}

} // namespace

QString formatPicture(double value, int decimals)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    decimals = std::clamp(decimals, 0, kMaxDecimals);

    char buffer[kFixedBufferSize];
    if (decimals <= kFastDecimals && std::fabs(value) < kFastLimit)
        return QString::fromLatin1(buffer, writePictureFast(value, decimals, buffer));

    char* const end = buffer + sizeof buffer;
    char* textEnd = nullptr;
    // An exact tie at `decimals` places is exactly an odd multiple of 2^-(decimals + 1).
    // to_chars would break it to even, so print it exactly one place longer and round the
    // magnitude up by hand.
    const double scaled = std::ldexp(std::fabs(value), decimals + 1);
    if (std::fmod(scaled, 2.0) == 1.0) {
        textEnd = std::to_chars(buffer, end, value, std::chars_format::fixed, decimals + 1).ptr;
        --textEnd; // the trailing '5'
        if (decimals == 0)
            --textEnd; // the '.'
        char* const digitsBegin = buffer + (buffer[0] == '-' ? 1 : 0);
        textEnd = incrementMagnitude(digitsBegin, textEnd);
    } else {
        textEnd = std::to_chars(buffer, end, value, std::chars_format::fixed, decimals).ptr;
    }

    const char* begin = buffer;
    const char* const textStop = textEnd;
    if (*begin == '-' &&
        std::all_of(begin + 1, textStop, [](char c) { return c == '0' || c == '.'; }))
        ++begin;
    return QString::fromLatin1(begin, textStop - begin);
}

QString generalForm(float value)
{
    char text[32];
    const int length = writeGeneralForm(value, text);
    return QString::fromLatin1(text, length);
}

QString generalForm(float value, const QLocale& locale)
{
    char text[32];
    const int length = writeGeneralForm(value, text);
    const QString decimalPoint = locale.decimalPoint();
    const QString negativeSign = locale.negativeSign();
    const QString positiveSign = locale.positiveSign();
    QString result;
    result.reserve(length + 4);
    for (int i = 0; i < length; ++i) {
        switch (text[i]) {
        case '.':
            result += decimalPoint;
            break;
        case '-':
            result += negativeSign;
            break;
        case '+':
            result += positiveSign; // only in the exponent
            break;
        default:
            result += QLatin1Char(text[i]);
        }
    }
    return result;
}

QString printForm(float value)
{
    char text[34];
    const int length = writeGeneralForm(value, text + 1);
    // The leading position holds the sign; a negative number brings its own '-'.
    char* begin = text + 1;
    if (*begin != '-')
        *--begin = ' ';
    text[length + 1] = ' ';
    return QString::fromLatin1(begin, text + length + 2 - begin);
}

double readLenient(QStringView text)
{
    return readLenientChecked(text).value;
}

LenientRead readLenientChecked(QStringView text)
{
    const qsizetype size = text.size();
    auto skipBlanks = [&](qsizetype i) {
        while (i < size && isBlank(text[i]))
            ++i;
        return i;
    };

    qsizetype i = skipBlanks(0);
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        i = skipBlanks(i + 1);
    }

    QVarLengthArray<char, 64> number;
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < size; ++i) {
        const QChar c = text[i];
        if (isBlank(c))
            continue;
        if (const char d = digitOf(c)) {
            number.append(d);
            sawDigit = true;
        } else if (c == u'.' && !sawPoint) {
            number.append('.');
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return {0.0, false};
    const qsizetype mantissaLength = number.size();

    // The exponent counts only with at least one digit; "2e" and "2e+" read as 2.
    qint64 exponent = 0;
    if (i < size && isExponentMarker(text[i])) {
        qsizetype j = skipBlanks(i + 1);
        bool negativeExponent = false;
        if (j < size && (text[j] == u'+' || text[j] == u'-')) {
            negativeExponent = text[j] == u'-';
            j = skipBlanks(j + 1);
        }
        bool sawExponentDigit = false;
        for (; j < size; ++j) {
            const QChar c = text[j];
            if (isBlank(c))
                continue;
            const char d = digitOf(c);
            if (!d)
                break;
            sawExponentDigit = true;
            exponent = std::min<qint64>(exponent * 10 + (d - '0'), kExponentCap);
        }
        if (sawExponentDigit) {
            i = j;
            if (negativeExponent)
                exponent = -exponent;
            char exponentText[16];
            exponentText[0] = 'e';
            const char* exponentEnd =
                std::to_chars(exponentText + 1, exponentText + sizeof exponentText, exponent).ptr;
            number.append(exponentText, exponentEnd - exponentText);
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves value alone here; tell overflow from underflow by the decimal
        // position of the first significant digit.
        const char* mantissa = number.data();
        const char* mantissaEnd = mantissa + mantissaLength;
        const char* point = std::find(mantissa, mantissaEnd, '.');
        const char* first =
            std::find_if(mantissa, mantissaEnd, [](char c) { return c >= '1' && c <= '9'; });
        const qint64 position = first < point ? point - first : point - first + 1;
        value = position + exponent > 0 ? HUGE_VAL : 0.0;
    }
    // Plain: nothing but blanks after the number, so the value is what the text says.
    const bool plain = skipBlanks(i) == size;
    if (value == 0.0)
        return {0.0, plain}; // a stored elevation never carries a negative zero
    return {negative ? -value : value, plain};
}

QString withAsciiDigits(QString text)
{
    for (QChar& c : text)
        if (const char d = digitOf(c))
            c = QLatin1Char(d);
    return text;
}

QString shortestText(float value)
{
    char text[32];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    return QString::fromLatin1(text, end - text);
}

QString elevationText(float value)
{
    QString text = shortestText(value);
    if (!std::isfinite(value) || text.contains(QLatin1Char('e')))
        return text;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (decimals >= 2)
        return text;
    return formatPicture(value, 2);
}

std::optional<double> readLocaleNumber(QStringView text, const QLocale& locale)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (ok)
        return value;
    const double cValue = QLocale::c().toDouble(trimmed, &ok);
    if (ok)
        return cValue;
    // QLocale reports overflow as a failure with an infinite result; hand that on so the
    // caller can say "too large" rather than "not a number".
    if (std::isinf(value))
        return value;
    if (std::isinf(cValue))
        return cValue;
    return std::nullopt;
}

std::optional<qint16> roundToInt16(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 65536.0)
        return std::nullopt;
    // Explicit ties-to-even: the fraction below is exact, and no rounding mode is involved.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return qint16(rounded);
}

QString raiNganWa(double squareMetres)
{
    const double wa = std::round(std::abs(squareMetres) / 4 * 100) / 100;
    const double rai = std::floor(wa / 400);
    const double ngan = std::floor((wa - rai * 400) / 100);
    QString rest = QString::number(wa - rai * 400 - ngan * 100, 'f', 2);
    while (rest.endsWith(QLatin1Char('0')))
        rest.chop(1);
    if (rest.endsWith(QLatin1Char('.')))
        rest.chop(1);
    return QStringLiteral("%1%2-%3-%4")
        .arg(squareMetres < 0 && wa > 0 ? QStringLiteral("-") : QString())
        .arg(rai, 0, 'f', 0)
        .arg(ngan, 0, 'f', 0)
        .arg(rest);
}

} // namespace tervan
