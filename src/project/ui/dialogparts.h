#pragma once

#include <functional>

class QDialog;
class QLayout;

namespace tervan {

// Puts the fields above the program's "ตกลง"/"ยกเลิก" pair (cmdOK, cmdCancel). Cancel closes
// without storing; OK runs the dialog's own handler, which decides whether to close.
void layOutWithButtons(QDialog* dialog, QLayout* fields, std::function<void()> onOK);

} // namespace tervan
