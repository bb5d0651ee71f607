#pragma once

#include "project/ui/prompts.h"

#include <QDialog>
#include <QStringList>
#include <functional>

// Records every message and answers modal dialogs from a script, so commands run end to end
// without a user.
class FakePrompts final : public tervan::Prompts
{
public:
    void notice(const QString& text) override { messages << text; }
    int runModal(QDialog& dialog) override
    {
        ++modalRuns;
        if (!onModal)
            return QDialog::Rejected;
        onModal(dialog);
        return dialog.result();
    }

    QStringList messages;
    int modalRuns = 0;
    // Acts on the dialog as the user would (fill boxes, click OK); the dialog's result is returned.
    std::function<void(QDialog&)> onModal;
};
