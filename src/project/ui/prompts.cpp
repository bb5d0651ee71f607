#include "project/ui/prompts.h"

#include "common/messages.h"

#include <QDialog>
#include <QMessageBox>

namespace tervan {

void WidgetPrompts::notice(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, msg::Caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

int WidgetPrompts::runModal(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace tervan
