#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tervan {

class Prompts;

// Knows whether the project has changes that are not in its files, shows it in the window's
// caption ("[*]"), and asks before a command would discard them: save, don't save or cancel.
class UnsavedChanges final : public QObject
{
    Q_OBJECT
public:
    // save runs the save command and says whether the files were written.
    UnsavedChanges(QWidget* window, Prompts& prompts, std::function<bool()> save);

    bool isModified() const { return m_modified; }
    void markModified() { setModified(true); }
    void markSaved() { setModified(false); }
    // True when the project may be replaced or closed: nothing unsaved, the user saved it, or
    // chose not to. False when they cancelled or the save did not happen.
    bool settle();

private:
    void setModified(bool modified);

    QWidget* m_window;
    Prompts& m_prompts;
    std::function<bool()> m_save;
    bool m_modified = false;
};

} // namespace tervan
