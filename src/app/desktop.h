#pragma once

class QCoreApplication;
class QIcon;
class QTranslator;

namespace tervan {

// Loads the Thai translation of the toolkit's own texts (file dialog, message-box buttons,
// print dialog, command-line help). Debian ships none, and the program speaks Thai whatever
// the system's language is. Returns the installed translator, owned by the application, or
// null when the translation could not be loaded.
QTranslator* installThaiTranslation(QCoreApplication& app);

// Dates in the toolkit's dialogs (the file dialog's "modified" column) in Thai too, unless
// the user forces every category with LC_ALL. Must run before the application object exists.
void preferThaiDates();

// The program's icon: the installed theme's, else the copy built into the program.
QIcon applicationIcon();

} // namespace tervan
