#include "app/systeminfo.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tervan {

QString registryValueText(quint32 type, const QByteArray& data)
{
    QByteArray bytes = data;
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    if (type == RegistryString)
        return QString::fromLocal8Bit(bytes);
    if (type != RegistryNumber)
        return {};
    // The number is stored low byte first.
    QByteArray hex;
    for (auto it = bytes.crbegin(); it != bytes.crend(); ++it)
        hex += QByteArray(1, *it).toHex();
    bool ok = false;
    const qulonglong value = hex.toULongLong(&ok, 16);
    return ok ? QString::number(value) : QString();
}

QStringList systemViewerNames()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("kinfocenter")};
}

PlatformSystemInfo::PlatformSystemInfo(QStringList searchPaths)
    : m_searchPaths(std::move(searchPaths))
{
}

#ifdef Q_OS_WIN

namespace {

// Standard read rights and every key-specific right.
constexpr REGSAM KeyAccess = 0x2003F;

std::optional<QString> GetKeyValue(HKEY root, const char* keyName, const char* valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyName, 0, KeyAccess, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char buffer[1024];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG rc =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return registryValueText(type, QByteArray(buffer, int(size)));
}

} // namespace

std::optional<QString> PlatformSystemInfo::firstLookup()
{
    return GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
}

std::optional<QString> PlatformSystemInfo::secondLookup()
{
    return GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO");
}

#else

std::optional<QString> PlatformSystemInfo::firstLookup()
{
    for (const QString& name : systemViewerNames()) {
        const QString found = m_searchPaths.isEmpty()
                                  ? QStandardPaths::findExecutable(name)
                                  : QStandardPaths::findExecutable(name, m_searchPaths);
        if (!found.isEmpty())
            return found;
    }
    return std::nullopt;
}

std::optional<QString> PlatformSystemInfo::secondLookup()
{
    return std::nullopt;
}

#endif

bool PlatformSystemInfo::fileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool PlatformSystemInfo::start(const QString& program)
{
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

void startSysInfo(SystemInfo& layer, const std::function<void(const QString&)>& message)
{
    // Whatever goes wrong on the way ends in the same message.
    try {
        std::optional<QString> program = layer.firstLookup();
        if (!program) {
            if (const auto folder = layer.secondLookup()) {
                const QString path = *folder + QStringLiteral("\\MSINFO32.EXE");
                if (layer.fileExists(path))
                    program = path;
            }
        }
        if (program && layer.start(*program))
            return;
    } catch (...) {
    }
    message(SysInfoUnavailable);
}

} // namespace tervan
