#pragma once

#include <QColor>

namespace tervan {

struct Project;

// The 16 colours every drawing picks by index.
namespace colour {
constexpr int Black = 0;
constexpr int Blue = 1;
constexpr int Green = 2;
constexpr int Red = 4;
constexpr int Magenta = 5;
constexpr int LightGrey = 7;
constexpr int BrightBlue = 9;
constexpr int White = 15;
} // namespace colour

QColor paletteColour(int index);
QRgb paletteRgb(int index);

// Contour and surface lines: the colour the user picked, or green. An OK without a pick
// means index 0.
int lineColourIndex(const Project& p);

} // namespace tervan
