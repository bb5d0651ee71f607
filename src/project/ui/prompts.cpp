#include "project/ui/prompts.h"

#include "common/messages.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

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
    // Every question guards something that cannot be taken back: Enter must not answer yes.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Prompts::SaveChoice WidgetPrompts::askSaveChanges(const QString& text)
{
    QMessageBox box(QMessageBox::Question, msg::Caption, text, QMessageBox::NoButton, m_parent);
    QPushButton* save = box.addButton(QStringLiteral("บันทึก"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("ไม่บันทึก"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("ยกเลิก"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChoice::Save;
    if (box.clickedButton() == discard)
        return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

int WidgetPrompts::runModal(QDialog& dialog)
{
    return dialog.exec();
}

namespace {

QString pickName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter,
                 const QString& start)
{
    QFileDialog dialog(parent, QString(), start, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    // A name typed without a suffix takes the filter's first ("site" means site.gnd); whether
    // to replace existing files is the command's question.
    static const QRegularExpression firstSuffix(QStringLiteral("\\*\\.(\\w+)"));
    dialog.setDefaultSuffix(firstSuffix.match(filter).captured(1));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The toolkit's own dialog speaks the program's language; a desktop's may not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!start.isEmpty())
        dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString WidgetPrompts::pickOpenName(const QString& filter, const QString& start)
{
    return pickName(m_parent, QFileDialog::AcceptOpen, filter, start);
}

QString WidgetPrompts::pickSaveName(const QString& filter, const QString& start)
{
    return pickName(m_parent, QFileDialog::AcceptSave, filter, start);
}

} // namespace tervan
