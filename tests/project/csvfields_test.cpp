#include "project/csvfields.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;

using Problem = CsvSplit::Problem;
using Kind = CsvNumber::Kind;
constexpr auto Comma = CsvSeparator::Comma;
constexpr auto Semicolon = CsvSeparator::Semicolon;

// One line or field and what each reader makes of it; the heights reader's own table covers
// whole files.
struct FieldCase
{
    const char16_t* text;
    CsvSeparator separator;
    QStringList fields; // split, when the problem is None
    Problem problem = Problem::None;
    Kind kind = Kind::Text; // of the text as one field
    double value = 0;
};

class Fields : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(Fields, SplitAndReadAsWritten)
{
    const FieldCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    const CsvSplit split = splitCsvLine(text, c.separator, 5);
    EXPECT_EQ(split.problem, c.problem);
    EXPECT_EQ(split.problem == Problem::None ? split.fields : QStringList(),
              c.problem == Problem::None ? c.fields : QStringList());
    const CsvNumber n = readCsvNumber(text, c.separator);
    EXPECT_EQ(n.kind, c.kind);
    EXPECT_EQ(n.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Fields,
    ::testing::Values(FieldCase{u"\"a,\"\"b\"\"\" , 2", Comma, {"a,\"b\"", "2"}},
                      FieldCase{u"\"P 1\"  0\t0 ", CsvSeparator::Blanks, {"P 1", "0", "0"}},
                      FieldCase{u"1,2,3,4,5,", Comma, {}, Problem::TooManyFields, Kind::Malformed},
                      FieldCase{u"\"1\"x,2", Comma, {}, Problem::TextAfterQuote},
                      FieldCase{
                          u" -100.25 ", Comma, {"-100.25"}, Problem::None, Kind::Number, -100.25},
                      FieldCase{u"๑๐๐,๕", Semicolon, {"๑๐๐,๕"}, Problem::None, Kind::Number, 100.5},
                      FieldCase{u"1,000.5", Semicolon, {"1,000.5"}, Problem::None, Kind::Malformed},
                      FieldCase{u"-1E+309", Comma, {"-1E+309"}, Problem::None, Kind::TooLarge},
                      FieldCase{u"-Infinity", Comma, {"-Infinity"}, Problem::None, Kind::Malformed},
                      FieldCase{u"1e-400", Comma, {"1e-400"}, Problem::None, Kind::Number, 0},
                      // Plain decimals read in place must read as the general reading does.
                      FieldCase{u"+3", Comma, {"+3"}, Problem::None, Kind::Number, 3},
                      FieldCase{u".5", Comma, {".5"}, Problem::None, Kind::Number, 0.5},
                      FieldCase{u"1.2.3", Comma, {"1.2.3"}, Problem::None, Kind::Malformed},
                      FieldCase{u"-", Comma, {"-"}, Problem::None, Kind::Text},
                      FieldCase{u"Elevation", Comma, {"Elevation"}}));

TEST(Separators, AreTakenFromTheFirstLinesOutsideQuotes)
{
    EXPECT_EQ(detectCsvSeparator({"\"a;b\",1", "c,2"}), Comma);
    EXPECT_EQ(detectCsvSeparator({"ค่า ระดับ", "100", "101"}), Comma);
}

TEST(Headers, NameTheColumnOrder)
{
    // count, name, east, north, elevation, description
    EXPECT_EQ(columnsFromHeader({"id", "y", "x", "H", "survey date"}),
              (CsvColumns{5, 0, 2, 1, 3, -1}));
    EXPECT_EQ(columnsFromHeader({"X", "E", "Z"}), std::nullopt);
    EXPECT_EQ(columnsFromHeader({"a", "b", "c"}), std::nullopt);
    EXPECT_EQ(columnsFromCode(u"PNEZD"), (CsvColumns{5, 0, 2, 1, 3, 4}));
    EXPECT_EQ(columnsFromCode(u"zyx"), std::nullopt);
}
