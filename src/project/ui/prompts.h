#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace tervan {

// Every message box and modal dialog run goes through here, so whole commands can run in
// tests with scripted answers. Messages are notices: critical-stop icon, the program's caption,
// one OK button.
class Prompts
{
public:
    virtual ~Prompts() = default;
    virtual void notice(const QString& text) = 0;
    // A yes-or-no question with the same caption; true for yes. No is the default answer.
    virtual bool ask(const QString& text) = 0;
    // Save, don't save or cancel, asked before unsaved changes would be lost.
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice askSaveChanges(const QString& text) = 0;
    // Runs the dialog modally and returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
    // File names picked in the open or save dialog, starting from `start`; empty when cancelled.
    // A name typed without a suffix gets ".gnd". Whether a picked pair would replace files is
    // the caller's question.
    virtual QString pickOpenName(const QString& filter, const QString& start) = 0;
    virtual QString pickSaveName(const QString& filter, const QString& start) = 0;
};

// The real boxes, parented to the given window.
class WidgetPrompts final : public Prompts
{
public:
    explicit WidgetPrompts(QWidget* parent) : m_parent(parent) {}
    void notice(const QString& text) override;
    bool ask(const QString& text) override;
    SaveChoice askSaveChanges(const QString& text) override;
    int runModal(QDialog& dialog) override;
    QString pickOpenName(const QString& filter, const QString& start) override;
    QString pickSaveName(const QString& filter, const QString& start) override;

private:
    QWidget* m_parent;
};

} // namespace tervan
