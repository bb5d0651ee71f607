#pragma once

#include "project/project.h"

#include <QHash>
#include <QLocale>
#include <QSize>
#include <QStringList>
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
        bad = bad || !ok;
        return ok ? std::optional<double>(v) : std::nullopt;
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

// An image size "WxH", each side 1 to 20000 pixels.
std::optional<QSize> readImageSize(const QString& text);

// Opens a project by the window's name rules; on failure writes the reason the window shows,
// with the system's reason for a file that cannot be opened, and returns nullopt.
std::optional<Project> openProject(const QString& name, QTextStream& err);

// Every error line of the batch front end starts with the program's name.
QTextStream& fail(QTextStream& err);

// Writes a PNG file; on failure says why, in the system's words too, and returns false.
bool savePng(const QImage& image, const QString& name, QTextStream& err);

} // namespace tervan
