#pragma once

#include <QFont>

namespace tervan {

// The font a page really prints with. The reports are laid out for a narrow Thai face; where
// it is not installed, the face the system offers in its place runs much wider at the same
// size, so that headings and columns would overrun each other and the paper: printed at 70 %
// it keeps to the layout. Every page back end draws and measures with this font.
QFont printFont(const QFont& font);

// The family the font system really uses for `font`, as Qt resolves it, so that back ends
// with their own font machinery print the same face.
QString resolvedFamily(const QFont& font);

} // namespace tervan
