#pragma once

#include "project/project.h"

#include <QHash>
#include <QLocale>
#include <QSize>
#include <QStringList>
#include <optional>

class QTextStream;

namespace tervan {

// The words after a command: names in order, options that take a value, bare flags. A word
// starting with '-' that the command does not know makes the line unusable.
struct Words
{
    QStringList names;
    QHash<QString, QString> values;
    QStringList flags;

    bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
    // The option's number: nothing when the option is absent; `bad` when it is no number.
    std::optional<double> number(const char* option, bool& bad) const
    {
        if (!values.contains(QLatin1String(option)))
            return std::nullopt;
        bool ok = false;
        const double v = QLocale::c().toDouble(values.value(QLatin1String(option)), &ok);
        bad = bad || !ok;
        return ok ? std::optional<double>(v) : std::nullopt;
    }
};

std::optional<Words> readWords(const QStringList& args, const QStringList& valued,
                               const QStringList& bare);

// An image size "WxH", each side 1 to 20000 pixels.
std::optional<QSize> readImageSize(const QString& text);

// Opens a project by the window's name rules; on failure writes the same reason the window
// shows and returns nullopt.
std::optional<Project> openProject(const QString& name, QTextStream& err);

} // namespace tervan
