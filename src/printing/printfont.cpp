#include "printing/printfont.h"

#include "printing/pageframe.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace tervan {

QFont printFont(const QFont& font)
{
    static const bool narrowFaceInstalled =
        QFontDatabase::families().contains(PrintFace, Qt::CaseInsensitive);
    if (narrowFaceInstalled || font.family().compare(PrintFace, Qt::CaseInsensitive) != 0)
        return font;
    QFont substitute = font;
    substitute.setPointSizeF(font.pointSizeF() * 0.7);
    return substitute;
}

QString resolvedFamily(const QFont& font)
{
    return QFontInfo(font).family();
}

} // namespace tervan
