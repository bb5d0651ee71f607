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

QIcon applicationIcon()
{
    return QIcon::fromTheme(QStringLiteral("tervan"), QIcon(QStringLiteral(":/icons/tervan.svg")));
}

} // namespace tervan
