#include "app/unsavedchanges.h"

#include "app/undocommands.h"
#include "project/ui/prompts.h"

#include <QWidget>

namespace tervan {

UnsavedChanges::UnsavedChanges(QWidget* window, Prompts& prompts, ProjectHistory& history,
                               std::function<bool()> save)
    : QObject(window), m_prompts(prompts), m_history(history), m_save(std::move(save))
{
    connect(&history, &ProjectHistory::modifiedChanged, window, &QWidget::setWindowModified);
}

bool UnsavedChanges::isModified() const
{
    return m_history.isModified();
}

bool UnsavedChanges::settle()
{
    if (!isModified())
        return true;
    switch (m_prompts.askSaveChanges(QStringLiteral("บันทึกการเปลี่ยนแปลงของโครงการนี้หรือไม่"))) {
    case Prompts::SaveChoice::Save:
        return m_save();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        return false;
    }
    return false;
}

} // namespace tervan
