#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tervan {

class Prompts;
class ProjectHistory;

// Shows in the window's caption ("[*]") whether the project has changes that are not in its
// files, as the history knows it, and asks before a command would discard them: save, don't
// save or cancel. Only a save or the project being replaced clears the mark, never the answer
// itself: a command that stops after "don't save" leaves the changes marked.
class UnsavedChanges final : public QObject
{
    Q_OBJECT
public:
    // save runs the save command and says whether the files were written.
    UnsavedChanges(QWidget* window, Prompts& prompts, ProjectHistory& history,
                   std::function<bool()> save);

    bool isModified() const;
    // True when the project may be replaced or closed: nothing unsaved, the user saved it, or
    // chose not to. False when they cancelled or the save did not happen.
    bool settle();

private:
    Prompts& m_prompts;
    ProjectHistory& m_history;
    std::function<bool()> m_save;
};

} // namespace tervan
