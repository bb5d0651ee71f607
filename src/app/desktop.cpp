#include "app/desktop.h"

#include <QCoreApplication>
#include <QIcon>
#include <QTranslator>

namespace tervan {

QTranslator* installThaiTranslation(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/qt_th.qm")) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

void preferThaiDates()
{
    if (qEnvironmentVariableIsEmpty("LC_ALL"))
        qputenv("LC_TIME", "th_TH.UTF-8");
}

QIcon applicationIcon()
{
    return QIcon::fromTheme(QStringLiteral("tervan"), QIcon(QStringLiteral(":/icons/tervan.svg")));
}

} // namespace tervan
