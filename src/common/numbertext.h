#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace tervan {

// Fixed-point label text with the given number of decimals ("0", "0.00", "0.000" pictures).
// Halves round away from zero, decided on the exact value of the double; a result that shows
// only zeros carries no minus sign. Always '.' as decimal point, no group separators.
// Decimals outside 0..40 are clamped.
QString formatPicture(double value, int decimals);

// Shortest text of a float rounded to 7 significant digits; scientific ("1.234568E+07",
// "1E-05") when the decimal exponent is >= 7 or < -4. Negative zero gives "0".
QString generalForm(float value);

// As generalForm(float), with the locale's decimal separator and signs, no group separators.
QString generalForm(float value, const QLocale& locale);

// Unformatted print form: a blank in place of a plus sign, then one trailing blank (" 2 ").
QString printForm(float value);

// Lenient read of a typed elevation: '.' decimal point, blanks inside the number ignored, the
// longest numeric prefix taken and the rest ignored; no number gives 0. Overflow gives an
// infinity for the caller to check. Never throws.
double readLenient(QStringView text);

// The lenient read, and whether the text says exactly the value read: a number with nothing
// but blanks after it. Thai digits count as digits. Empty or numberless text is not plain.
struct LenientRead
{
    double value = 0;
    bool plain = false;
};
LenientRead readLenientChecked(QStringView text);

// The text with Thai digits replaced by ASCII ones.
QString withAsciiDigits(QString text);

// Shortest text that reads back to the same float ("99.838", "1e+06").
QString shortestText(float value);

// The stored value for a message: every digit it has, at least two decimals ("100.00", "99.838").
QString elevationText(float value);

// Number typed into a setup dialog: the locale's form first, then the C form ("7.5").
// Empty or non-numeric text gives std::nullopt; infinities and NaN are returned as read.
std::optional<double> readLocaleNumber(QStringView text, const QLocale& locale = QLocale());

// Nearest 16-bit integer, ties to even; NaN, infinities and out-of-range values give
// std::nullopt instead of wrapping.
std::optional<qint16> roundToInt16(double value);

// An area in the Thai land units, rai-ngan-square wa ("1-2-95", "0-0-12.5"): 1 rai = 4 ngan =
// 400 square wa = 1,600 m2. Square wa to the hundredth, trailing zeros dropped, as a land
// office writes them; rounded in square wa first, so 1,599.999 m2 is "1-0-0", never "0-3-100".
QString raiNganWa(double squareMetres);

} // namespace tervan
