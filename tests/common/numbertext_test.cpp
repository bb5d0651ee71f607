#include "common/numbertext.h"
#include "support/printto.h"

#include <cfenv>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tervan {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

struct PictureCase
{
    double value;
    int decimals;
    const char* expected;
};

class FormatPictureTest : public ::testing::TestWithParam<PictureCase>
{
};

TEST_P(FormatPictureTest, Formats)
{
    EXPECT_EQ(formatPicture(GetParam().value, GetParam().decimals),
              QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatPictureTest,
    ::testing::Values(
        // Exact halves go away from zero, also where printf would pick the even digit.
        PictureCase{2.5, 0, "3"}, PictureCase{-2.5, 0, "-3"}, PictureCase{0.5, 0, "1"},
        PictureCase{-99.5, 0, "-100"}, PictureCase{0.125, 2, "0.13"},
        PictureCase{-0.125, 2, "-0.13"}, PictureCase{0.0625, 3, "0.063"},
        PictureCase{1234567.875, 2, "1234567.88"},
        PictureCase{9.875, 2, "9.88"}, // Halves at the edge of double precision, where one ulp is
                                       // half a unit of the picture.
        PictureCase{562949953421312.125, 2, "562949953421312.13"},
        PictureCase{2251799813685248.5, 0, "2251799813685249"},
        // Beyond the plain-arithmetic range: many decimals or very large values.
        PictureCase{0.015625, 5, "0.01563"}, PictureCase{-1e15 - 0.5, 0, "-1000000000000001"},
        PictureCase{-1e-7, 6, "0.000000"},
        // Decimal literals that are not halves as doubles go by their exact value.
        PictureCase{1.005, 2, "1.00"}, PictureCase{2.675, 2, "2.67"},
        PictureCase{0.9995, 3, "1.000"}, PictureCase{-0.005, 2, "-0.01"},
        PictureCase{0.045, 2, "0.04"},
        // No minus sign on a result that shows zero.
        PictureCase{-0.001, 2, "0.00"}, PictureCase{-0.4, 0, "0"}, PictureCase{-0.0, 2, "0.00"},
        PictureCase{-0.0, 0, "0"}, PictureCase{-0.0005, 3, "-0.001"},
        // Plain values, padding, large magnitudes, out-of-range decimals.
        PictureCase{1234.5678, 3, "1234.568"}, PictureCase{1e20, 0, "100000000000000000000"},
        PictureCase{2.5, -1, "3"}, PictureCase{kInf, 2, "inf"}, PictureCase{-kNan, 2, "nan"}));

struct GeneralCase
{
    float value;
    const char* expected;
};

class GeneralFormTest : public ::testing::TestWithParam<GeneralCase>
{
};

TEST_P(GeneralFormTest, FormatsAndPrints)
{
    const QString expected = QString::fromLatin1(GetParam().expected);
    EXPECT_EQ(generalForm(GetParam().value), expected);
    const QString lead = expected.startsWith(u'-') ? QString() : QStringLiteral(" ");
    EXPECT_EQ(printForm(GetParam().value), lead + expected + u' ');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneralFormTest,
    ::testing::Values(
        GeneralCase{0.5f, "0.5"}, GeneralCase{2.0f, "2"}, GeneralCase{102.5f, "102.5"},
        GeneralCase{2500.0f, "2500"}, GeneralCase{0.1f, "0.1"}, GeneralCase{1234567.0f, "1234567"},
        GeneralCase{0.0f, "0"}, GeneralCase{-0.0f, "0"}, GeneralCase{-3.25f, "-3.25"},
        GeneralCase{1.0f / 3.0f, "0.3333333"}, GeneralCase{123456.7f, "123456.7"},
        GeneralCase{0.99999994f, "0.9999999"},
        // Exact ties at seven digits go to even, as printf's %G does.
        GeneralCase{1234.5625f, "1234.562"},
        // Switch to scientific at exponent 7 and below -4; 0.0001f rounds up to 1E-04.
        GeneralCase{9999999.0f, "9999999"}, GeneralCase{12345678.0f, "1.234568E+07"},
        GeneralCase{1e7f, "1E+07"}, GeneralCase{16777216.0f, "1.677722E+07"},
        GeneralCase{0.0001f, "0.0001"}, GeneralCase{0.00012345678f, "0.0001234568"},
        GeneralCase{1e-5f, "1E-05"}, GeneralCase{-1.5e-10f, "-1.5E-10"},
        GeneralCase{std::numeric_limits<float>::max(), "3.402823E+38"},
        GeneralCase{std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        GeneralCase{std::numeric_limits<float>::infinity(), "inf"},
        GeneralCase{-std::numeric_limits<float>::infinity(), "-inf"},
        GeneralCase{std::numeric_limits<float>::quiet_NaN(), "nan"}));

TEST(GeneralFormLocaleTest, UsesLocaleSeparatorAndSigns)
{
    const QLocale german(QLocale::German);
    const QLocale swedish(QLocale::Swedish); // minus is U+2212
    const struct
    {
        QLocale locale;
        float value;
        QString expected;
    } cases[] = {
        {german, 0.5f, QStringLiteral("0,5")},
        {german, -3.25f, QStringLiteral("-3,25")},
        {german, 1234567.0f, QStringLiteral("1234567")}, // no group separator
        {german, 12345678.0f, QStringLiteral("1,234568E+07")},
        {german, 1e-5f, QStringLiteral("1E-05")},
        {swedish, -1.5f, QStringLiteral("\u22121,5")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(generalForm(c.value, c.locale), c.expected) << c.value;
}

TEST(GeneralFormLocaleTest, ReadsBackInSameLocale)
{
    const float values[] = {0.1f, -3.25f, 1.0f / 3.0f, 12345678.0f, -1.5e-10f, 2500.0f};
    for (const QLocale& locale :
         {QLocale(QLocale::German), QLocale(QLocale::English), QLocale(QLocale::Swedish)}) {
        for (float value : values) {
            const QString text = generalForm(value, locale);
            const std::optional<double> read = readLocaleNumber(text, locale);
            ASSERT_TRUE(read.has_value()) << text.toStdString();
            EXPECT_EQ(generalForm(float(*read)), generalForm(value)) << text.toStdString();
        }
    }
}

struct LenientCase
{
    const char16_t* text;
    double expected;
};

class ReadLenientTest : public ::testing::TestWithParam<LenientCase>
{
};

TEST_P(ReadLenientTest, Reads)
{
    const double value = readLenient(QStringView(GetParam().text));
    EXPECT_EQ(value, GetParam().expected);
    EXPECT_FALSE(value == 0 && std::signbit(value)) << "negative zero";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLenientTest,
    ::testing::Values(LenientCase{u"1 000", 1000}, LenientCase{u"1 2. 5", 12.5},
                      LenientCase{u" \t 42", 42}, LenientCase{u"- 5", -5}, LenientCase{u"+-5", 0},
                      LenientCase{u"--5", 0}, LenientCase{u"7,5", 7}, LenientCase{u"12abc", 12},
                      LenientCase{u".", 0}, LenientCase{u"-", 0}, LenientCase{u"abc", 0},
                      LenientCase{u"", 0}, LenientCase{u"  ", 0}, LenientCase{u"e5", 0},
                      LenientCase{u"-0", 0}, LenientCase{u".5", 0.5}, LenientCase{u"5.", 5},
                      LenientCase{u"1.2.3", 1.2}, LenientCase{u"0.1", 0.1},
                      LenientCase{u"00012.50", 12.5},
                      // Exponents: E, e, D, d; taken only with a digit after the marker and sign.
                      LenientCase{u"1e3", 1000}, LenientCase{u"1D3", 1000},
                      LenientCase{u"1d-3", 0.001}, LenientCase{u"1.e3", 1000},
                      LenientCase{u"1.5E+2", 150}, LenientCase{u"1e 3", 1000},
                      LenientCase{u"2e", 2}, LenientCase{u"2e+", 2}, LenientCase{u"2e-x", 2},
                      LenientCase{u"2ex", 2}, LenientCase{u"3E2.5", 300},
                      // Out of the double range: infinity for the caller to refuse, or zero.
                      LenientCase{u"1e999", kInf}, LenientCase{u"-1e999", -kInf},
                      LenientCase{u"1e99999999999999999999", kInf}, LenientCase{u"1e-999", 0},
                      LenientCase{u"0.0001e310", 1e306}, LenientCase{u"4.9e-324", 4.9e-324},
                      LenientCase{u"123456789012345678901234567890", 1.2345678901234568e29}));

struct LocaleNumberCase
{
    QLocale::Language language;
    const char16_t* text;
    std::optional<double> expected;
};

class ReadLocaleNumberTest : public ::testing::TestWithParam<LocaleNumberCase>
{
};

TEST_P(ReadLocaleNumberTest, Reads)
{
    const std::optional<double> value =
        readLocaleNumber(QStringView(GetParam().text), QLocale(GetParam().language));
    EXPECT_EQ(value, GetParam().expected) << QString::fromUtf16(GetParam().text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLocaleNumberTest,
    ::testing::Values(LocaleNumberCase{QLocale::German, u"7,5", 7.5},
                      LocaleNumberCase{QLocale::German, u"7.5", 7.5}, // C fallback
                      LocaleNumberCase{QLocale::German, u" 7,5\t", 7.5},
                      LocaleNumberCase{QLocale::German, u"1.500", 1500}, // German grouping wins
                      LocaleNumberCase{QLocale::German, u"1,5E+07", 1.5e7},
                      LocaleNumberCase{QLocale::German, u"", std::nullopt},
                      LocaleNumberCase{QLocale::German, u"   ", std::nullopt},
                      LocaleNumberCase{QLocale::German, u"abc", std::nullopt},
                      LocaleNumberCase{QLocale::German, u"7,5x", std::nullopt},
                      LocaleNumberCase{QLocale::German, u"1e999", kInf},
                      LocaleNumberCase{QLocale::German, u"-inf", -kInf},
                      LocaleNumberCase{QLocale::English, u"7.5", 7.5},
                      LocaleNumberCase{QLocale::English, u"7,5", std::nullopt},
                      LocaleNumberCase{QLocale::English, u"-0.25", -0.25}));

TEST(ReadLocaleNumberTest, NanIsReturned)
{
    const std::optional<double> value = readLocaleNumber(u"nan", QLocale(QLocale::German));
    ASSERT_TRUE(value.has_value());
    EXPECT_TRUE(std::isnan(*value));
}

struct RoundCase
{
    double value;
    std::optional<qint16> expected;
};

class RoundToInt16Test : public ::testing::TestWithParam<RoundCase>
{
};

TEST_P(RoundToInt16Test, RoundsUnderEveryRoundingMode)
{
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        const std::optional<qint16> result = roundToInt16(GetParam().value);
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(result, GetParam().expected) << GetParam().value << " mode " << mode;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RoundToInt16Test,
    ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-2.5, -2}, RoundCase{7.5, 8},
                      RoundCase{6.5, 6}, RoundCase{0.5, 0}, RoundCase{-0.5, 0}, RoundCase{-1.5, -2},
                      RoundCase{0.49999999999999994, 0}, RoundCase{2.5000000000000004, 3},
                      RoundCase{-0.0, 0},
                      // The limits, and just past them.
                      RoundCase{32767.4, 32767}, RoundCase{32767.5, std::nullopt},
                      RoundCase{32768, std::nullopt}, RoundCase{-32768.5, -32768},
                      RoundCase{-32768.51, std::nullopt}, RoundCase{-32769, std::nullopt},
                      RoundCase{4503599627370497.0, std::nullopt}, RoundCase{1e300, std::nullopt},
                      RoundCase{kNan, std::nullopt}, RoundCase{kInf, std::nullopt},
                      RoundCase{-kInf, std::nullopt}));

} // namespace
} // namespace tervan

struct AreaCase
{
    double m2;
    const char* text;
};

class ThaiArea : public testing::TestWithParam<AreaCase>
{
};

TEST_P(ThaiArea, InRaiNganWa)
{
    EXPECT_EQ(tervan::raiNganWa(GetParam().m2), QLatin1String(GetParam().text)) << GetParam().m2;
}

INSTANTIATE_TEST_SUITE_P(Areas, ThaiArea,
                         testing::Values(AreaCase{2780, "1-2-95"}, AreaCase{1600, "1-0-0"},
                                         AreaCase{10000, "6-1-0"}, AreaCase{0.04, "0-0-0.01"},
                                         AreaCase{0.01, "0-0-0"}, AreaCase{0.2, "0-0-0.05"},
                                         AreaCase{50, "0-0-12.5"}, AreaCase{1599.99, "1-0-0"},
                                         AreaCase{399.96, "0-0-99.99"}, AreaCase{-2780, "-1-2-95"},
                                         AreaCase{10000000, "6250-0-0"}));
