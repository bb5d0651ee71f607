#include "project/ui/prompts.h"

#include "common/messages.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace tervan {

void WidgetPrompts::notice(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, msg::Caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool WidgetPrompts::ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, msg::Caption, text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    return box.exec() == QMessageBox::Yes;
}

int WidgetPrompts::runModal(QDialog& dialog)
{
    return dialog.exec();
}

// The toolkit's own file dialog speaks the program's Thai; a desktop's native one would speak
// the system's language.
constexpr auto FileDialogOptions = QFileDialog::DontUseNativeDialog;

QString WidgetPrompts::pickOpenName(const QString& filter, const QString& start)
{
    return QFileDialog::getOpenFileName(m_parent, QString(), start, filter, nullptr,
                                        FileDialogOptions);
}

QString WidgetPrompts::pickSaveName(const QString& filter, const QString& start)
{
    return QFileDialog::getSaveFileName(m_parent, QString(), start, filter, nullptr,
                                        FileDialogOptions);
}

} // namespace tervan
