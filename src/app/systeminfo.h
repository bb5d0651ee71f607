#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tervan {

inline const QString SysInfoUnavailable =
    QStringLiteral("System Information Is Unavailable At This Time");

// Registry value types the About dialog reads.
constexpr quint32 RegistryString = 1;
constexpr quint32 RegistryNumber = 4;

// The text of a registry value as it was returned: a string without its terminating zero, a
// 32-bit number as decimal text. Other types give an empty text.
QString registryValueText(quint32 type, const QByteArray& data);

// Where the system-information viewer comes from, behind the About dialog's button. The first
// lookup names the program itself; the second names a folder that should hold MSINFO32.EXE.
// Kept virtual so the fall-through from one place to the next can be driven without a registry.
class SystemInfo
{
public:
    virtual ~SystemInfo() = default;
    virtual std::optional<QString> firstLookup() = 0;
    virtual std::optional<QString> secondLookup() = 0;
    virtual bool fileExists(const QString& path) = 0;
    // Starts the program on its own and returns at once; false when it could not be started.
    virtual bool start(const QString& program) = 0;
};

// The real layer. On Windows it reads the two MSINFO registry entries; elsewhere the first
// lookup is the first viewer of systemViewerNames() found on the search paths (the PATH when
// none are given) and there is no second place to look.
class PlatformSystemInfo final : public SystemInfo
{
public:
    explicit PlatformSystemInfo(QStringList searchPaths = {});
    std::optional<QString> firstLookup() override;
    std::optional<QString> secondLookup() override;
    bool fileExists(const QString& path) override;
    bool start(const QString& program) override;

private:
    QStringList m_searchPaths;
};

// Viewers tried on systems without the registry, in order of preference.
QStringList systemViewerNames();

// Starts the viewer, or passes SysInfoUnavailable to `message` when there is none or it fails.
void startSysInfo(SystemInfo& layer, const std::function<void(const QString&)>& message);

} // namespace tervan
