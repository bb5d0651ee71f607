#include "gis/gis.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QMutex>
#include <cstdio>
#include <cstdlib>

namespace tervan {

namespace {

// Constant-initialised, so a module linked in may provide itself during static start-up.
const GisModule* g_module = nullptr;

QStringList moduleCandidates()
{
    const QString name = QStringLiteral("tervan-gis");
    QStringList dirs;
    if (const QByteArray env = qgetenv("TERVAN_GIS_MODULE_DIR"); !env.isEmpty())
        dirs << QString::fromLocal8Bit(env);
    const QString here = QCoreApplication::applicationDirPath();
    // Installed beside bin/ in lib/tervan; in the build tree likewise, one level up.
    dirs << here + QStringLiteral("/../lib/tervan") << here;
    QStringList names;
    for (const QString& dir : dirs)
        names << QDir::cleanPath(dir + QLatin1Char('/') + name);
    return names;
}

const GisModule* loadModule()
{
    QString problems;
    for (const QString& candidate : moduleCandidates()) {
        QLibrary library(candidate);
        // GDAL and its hundred-odd libraries find their own symbols among themselves first,
        // instead of after every library the program already holds: a third of the cost.
        library.setLoadHints(QLibrary::DeepBindHint);
        using Entry = const GisModule* (*)();
        if (auto entry = reinterpret_cast<Entry>(library.resolve("tervanGisModule")))
            return entry(); // never unloaded: its code is in use until the program ends
        problems += QStringLiteral("\n  ") + library.errorString();
    }
    const QByteArray text = QStringLiteral("ไม่พบส่วนของโปรแกรมที่อ่านและเขียนแฟ้ม GIS (tervan-gis) "
                                           "กรุณาติดตั้งโปรแกรมใหม่%1\n")
                                .arg(problems)
                                .toLocal8Bit();
    std::fputs(text.constData(), stderr);
    std::exit(1);
}

} // namespace

void provideGisModule(const GisModule* module)
{
    g_module = module;
}

const GisModule& gis()
{
    static QBasicMutex loading;
    QMutexLocker lock(&loading);
    if (!g_module)
        g_module = loadModule();
    return *g_module;
}

} // namespace tervan
