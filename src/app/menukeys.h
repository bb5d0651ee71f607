#pragma once

class QMainWindow;

namespace tervan {

// Ways into the menu bar that do not depend on the keyboard layout, beside the Thai access
// keys (which need the Thai layout active): F10 opens the first menu, as desktop programs do,
// and Alt with a Latin letter opens each menu, the letter named in the menu's tooltip. Menus
// are found by their object names once the bar is built.
void addMenuKeys(QMainWindow& window);

} // namespace tervan
