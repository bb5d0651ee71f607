#include "app/unsavedchanges.h"

#include "project/ui/prompts.h"

#include <QWidget>

namespace tervan {

UnsavedChanges::UnsavedChanges(QWidget* window, Prompts& prompts, std::function<bool()> save)
    : QObject(window), m_window(window), m_prompts(prompts), m_save(std::move(save))
{
}

void UnsavedChanges::setModified(bool modified)
{
    m_modified = modified;
    m_window->setWindowModified(modified);
}

bool UnsavedChanges::settle()
{
    if (!m_modified)
        return true;
    switch (m_prompts.askSaveChanges(QStringLiteral("บันทึกการเปลี่ยนแปลงของโครงการนี้หรือไม่"))) {
    case Prompts::SaveChoice::Save:
        return m_save();
    case Prompts::SaveChoice::Discard:
        markSaved();
        return true;
    case Prompts::SaveChoice::Cancel:
        return false;
    }
    return false;
}

} // namespace tervan
