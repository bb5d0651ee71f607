#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace tervan {

// The pieces of a delimited text line as spreadsheets, total stations and GIS tools write
// them: comma, semicolon, tab or blank separated; fields quoted as RFC 4180 says ("" inside
// quotes is one quote, separators inside quotes are text); blanks around a field ignored.
// A quoted field cannot span lines. Numbers may use Thai digits, and a decimal comma where
// the separator is a semicolon.

enum class CsvSeparator {
    Comma,
    Semicolon,
    Tab,
    Blanks, // runs of spaces or tabs, as XYZ grids are written
};

// The separator of a file from its first lines (blank lines allowed): a tab, a semicolon or a
// comma outside quotes, in that order of precedence; otherwise blanks when most lines have
// several blank-separated words; otherwise a comma (one column).
CsvSeparator detectCsvSeparator(const QStringList& sampleLines);

struct CsvSplit
{
    enum class Problem {
        None,
        TooManyFields,  // more than the cap; fields left empty, count is cap + 1
        UnclosedQuote,  // a quoted field has no closing quote on its line
        TextAfterQuote, // something other than a separator after a closing quote
    };
    QStringList fields;
    Problem problem = Problem::None;
    qsizetype count = 0; // fields found (up to cap + 1)
};

// The fields of one line. The fields are counted before any is copied, so a huge line with
// more than maxFields fields costs one scan and no memory.
CsvSplit splitCsvLine(QStringView line, CsvSeparator separator, qsizetype maxFields);

// What one field says as a number.
struct CsvNumber
{
    enum class Kind {
        Number,    // a finite plain number
        TooLarge,  // a number beyond the range of a double
        Malformed, // looks like a number but is not one: nan, inf, 0x10, 1.2.3, 12abc
        Text,      // no number at all: a name
    };
    Kind kind = Kind::Text;
    double value = 0;
};

// A plain decimal number with optional sign and exponent, Thai digits allowed; with the
// semicolon separator a decimal comma is read as well as a decimal point. Group separators
// are never read.
CsvNumber readCsvNumber(QStringView field, CsvSeparator separator);

// Where each coordinate stands on a line of count fields; -1 for a column the file lacks.
// East is X (grid columns), north is Y (grid rows).
struct CsvColumns
{
    int count = 0;
    int name = -1;
    int east = -1;
    int north = -1;
    int elevation = -1;
    int description = -1;
    bool geographic = false; // latitude and longitude named in place of north and east
    bool operator==(const CsvColumns&) const = default;
};

// The order a header line names: every field one of point / N / E / Z / description, in any
// case and in English or Thai ("Pt,N,E,Z", "Point,Easting,Northing,Elevation,Code", "X Y Z",
// "ชื่อจุด,ค่าพิกัดเหนือ,ค่าพิกัดตะวันออก,ค่าระดับ"), or latitude and longitude in their place
// (marked geographic); units in brackets ignored. Other fields
// are ignored columns. Empty unless east, north and elevation are each named exactly once.
std::optional<CsvColumns> columnsFromHeader(const QStringList& fields);

// An order given by letters: p point name, n or y north, e or x east, z elevation,
// d description. Only the codes of csvColumnCodes() are taken, in either case.
std::optional<CsvColumns> columnsFromCode(QStringView code);

// "xyz", "enz", "nez", "pxyz", "penz", "pnez", "penzd", "pnezd".
const QStringList& csvColumnCodes();

// The code of an order of csvColumnCodes() ("pnez"); empty for any other order.
QString csvColumnCode(const CsvColumns& columns);

// A file's text: UTF-8, or Thai code page 874 where it is not valid UTF-8; a byte-order mark
// dropped.
QString decodeCsvText(const QByteArray& bytes);

// A field's text cut to a length fit for a message.
QString shownField(QStringView field);

} // namespace tervan
