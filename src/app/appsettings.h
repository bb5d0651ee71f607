#pragma once

#include "graphics/gridplot.h"

#include <QByteArray>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <utility>

namespace tervan {

// The settings store of one run. The file is used when it is missing or a regular file of at
// most MaxBytes; anything else is left alone, since a FIFO would block the start for ever and
// a huge file slows every exit and would be written back each time. The run then keeps its
// settings in a scratch file of its own, and refused() says why, for stderr.
class SettingsFile final
{
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;

    explicit SettingsFile(const QString& fileName);
    // Where the program keeps its settings: tervan/tervan.ini in the user's configuration folder.
    static QString defaultFileName();

    QSettings& settings() { return *m_settings; }
    const QString& refused() const { return m_refused; }

private:
    QTemporaryDir m_scratch;
    std::unique_ptr<QSettings> m_settings;
    QString m_refused;
};

// The View menu's choices that last between runs.
struct ViewChoices
{
    NodeLabels labels;
    // Every contour labelled, else only the whole levels.
    bool everyContour = false;
    bool surfaceBaseLowest = false;
    int exaggeration = 1;
    bool contourLabelsAlong = false;
    bool contourLevelsFromZero = false;
    bool operator==(const ViewChoices&) const = default;
};

// What a settings file holds. A value is there only when the file's makes sense, so a damaged
// or foreign file gives the first-start behaviour piece by piece.
struct RememberedValues
{
    QString lastFolder; // an existing folder, absolute; else empty
    QStringList recent;
    QByteArray geometry;
    QByteArray state;
    // The node and contour label choices are kept as one set, never a set with coordinates
    // beside numbers or elevations.
    std::optional<std::pair<NodeLabels, bool>> labels;
    std::optional<bool> surfaceBaseLowest;
    std::optional<int> exaggeration; // one of SurfaceExaggerations
    std::optional<bool> contourLabelsAlong;
    std::optional<bool> contourLevelsFromZero;
    QString engineer; // the last one named for a project made from points

    // The view choices remembered, the others as in `shown`.
    ViewChoices viewOver(ViewChoices shown) const;
};

// What the program remembers between runs: the folder of the last Open or Save, the recent
// projects, the window's geometry and state, and the View menu's choices. Reads plain values
// and writes them as the caller hands them over.
class AppSettings final
{
public:
    explicit AppSettings(QSettings& settings) : m_settings(settings) {}

    RememberedValues read() const;
    void writeLastFolder(const QString& folder);
    void writeEngineer(const QString& name);
    void writeRecent(const QStringList& files);
    void writeView(const ViewChoices& view);
    // Written as the window closes; the file is brought up to date at once.
    void writeWindow(const QByteArray& geometry, const QByteArray& state);

private:
    QSettings& m_settings;
};

} // namespace tervan
