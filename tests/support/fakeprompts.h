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
    bool ask(const QString& text) override
    {
        questions << text;
        return !answers.isEmpty() && answers.takeFirst();
    }
    SaveChoice askSaveChanges(const QString& text) override
    {
        saveQuestions << text;
        return saveChoices.isEmpty() ? SaveChoice::Discard : saveChoices.takeFirst();
    }
    int runModal(QDialog& dialog) override
    {
        ++modalRuns;
        if (!onModal)
            return QDialog::Rejected;
        onModal(dialog);
        return dialog.result();
    }

    QString pickOpenName(const QString& filter, const QString& start) override
    {
        pickedFrom << start;
        lastFilter = filter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString pickSaveName(const QString& filter, const QString& start) override
    {
        pickedFrom << start;
        lastFilter = filter;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }

    QStringList messages;
    QStringList questions;
    QList<bool> answers; // for ask(); an exhausted list answers no
    QStringList saveQuestions;
    QList<SaveChoice> saveChoices; // an exhausted list answers don't save
    // Names the file dialogs answer, in order; an exhausted list answers as a cancel.
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList pickedFrom;
    QString lastFilter;
    int modalRuns = 0;
    // Acts on the dialog as the user would (fill boxes, click OK); the dialog's result is returned.
    std::function<void(QDialog&)> onModal;
};
