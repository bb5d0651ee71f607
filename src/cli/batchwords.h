#pragma once

#include "project/project.h"

#include <QHash>
#include <QLocale>
#include <QSize>
#include <QStringList>
#include <cmath>
#include <functional>
#include <optional>

class QImage;
class QTextStream;

namespace tervan {

// The words after a command: names in order, options that take a value, bare flags. A word
// starting with '-' that the command does not know makes the line unusable.
struct Words
{
    QStringList names;
    QHash<QString, QString> values;
    QStringList flags;
    // The first wrong word of the line in the user's terms; empty while there is none.
    mutable QString problem;

    bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
    // The option's number: nothing when the option is absent; `bad` when it is no number.
    std::optional<double> number(const char* option, bool& bad) const
    {
        if (!values.contains(QLatin1String(option)))
            return std::nullopt;
        bool ok = false;
        const double v = QLocale::c().toDouble(values.value(QLatin1String(option)), &ok);
        if (!ok)
            refuse(option, "a number");
        else if (!std::isfinite(v))
            ok = refuse(option, "a finite number");
        bad = bad || !ok;
        return ok ? std::optional<double>(v) : std::nullopt;
    }
    // The same for a value the program keeps as a float (an elevation, an interval).
    std::optional<double> floatNumber(const char* option, bool& bad,
                                      const char* expected = "a number a float can hold") const
    {
        const auto v = number(option, bad);
        if (v && !std::isfinite(float(*v))) {
            bad = !refuse(option, expected);
            return std::nullopt;
        }
        return v;
    }
    std::optional<double> platform(bool& bad) const
    {
        return floatNumber("--platform", bad, "an elevation a float can hold");
    }
    // Notes that the option's value is not what it must be; returns false for use in tests.
    bool refuse(const char* option, const char* expected) const;
};

// Reads the words with the toolkit's command-line parser; on an unusable line says why in
// `problem`.
std::optional<Words> readWords(const QStringList& args, const QStringList& valued,
                               const QStringList& bare, QString& problem);

// Bad usage: the wrong word, then the usage. Returns the exit status 2.
int usageError(QTextStream& err, const char* usage, const QString& problem);
int usageError(QTextStream& err, const char* usage, const std::optional<Words>& words,
               const QString& problem);

// An image size "WxH": each side 1 to 10000 pixels, 50 million pixels at most (200 MB), which
// draws in seconds.
constexpr int MaxImageSide = 10000;
constexpr qint64 MaxImagePixels = 50'000'000;
inline constexpr char ImageSizeWords[] =
    "WIDTHxHEIGHT, each 1 to 10000 pixels and at most 50000000 pixels in all";
std::optional<QSize> readImageSize(const QString& text);
// The image of that size, or nothing (said on stderr) when the memory cannot hold it.
std::optional<QImage> newImage(QSize size, QTextStream& err);

// A named output that is not a regular file (a FIFO would block, a device or a folder would be
// replaced) is refused before anything opens it: says so and returns false.
bool outputUsable(const QString& name, QTextStream& err);

// What a command does with the project's place on the ground: WorldCoordinates commands write
// it out, and refuse a project whose georeference file is damaged; the others only warn.
enum class ProjectUse { GridOnly, WorldCoordinates };

// Opens a project by the window's name rules; on failure writes the reason the window shows,
// with the system's reason for a file that cannot be opened, and returns nullopt.
std::optional<Project> openProject(const QString& name, QTextStream& err,
                                   ProjectUse use = ProjectUse::GridOnly);

// "area 10000.00 6-1-0.0": the plan area figures cover, m2 and rai-ngan-wa.
QString areaWords(double squareMetres);

// Every error line of the batch front end starts with the program's name.
QTextStream& fail(QTextStream& err);

// Writes a PNG file; on failure says why, in the system's words too, and returns false.
bool savePng(const QImage& image, const QString& name, QTextStream& err);

class PageSurface;
// Draws `pages` into a PDF file that replaces `name` only once complete; the reason when it
// cannot be written, empty when done.
QString savePdf(const QString& name, const std::function<void(PageSurface&)>& pages);

} // namespace tervan
