#include "graphics/palette.h"

#include "project/project.h"

namespace tervan {

QRgb paletteRgb(int index)
{
    static const QRgb palette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    return palette[index & 15];
}

QColor paletteColour(int index)
{
    return QColor(paletteRgb(index));
}

int lineColourIndex(const Project& p)
{
    return p.UseChosenColor == -1 ? p.ChosenColorIndex.value_or(0) : colour::Green;
}

} // namespace tervan
