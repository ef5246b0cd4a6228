#pragma once

#include <QString>

class QWidget;

// The message boxes and input boxes that the option and account dialogs open over
// themselves (their file dialogs are the program's TFileDialogs). Tests install their
// own TDialogPrompts to read and answer them without blocking.
class TDialogPrompts {
public:
    virtual ~TDialogPrompts() = default;
    // Error box (error icon, caption "Error") owned by owner.
    virtual void error(QWidget* owner, const QString& text) = 0;
    // Warning box (warning icon, caption "Warning") owned by owner.
    virtual void warning(QWidget* owner, const QString& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& title, const QString& text) = 0;
    // Input box with one line of text, starting with value; false when cancelled
    // (value then unchanged).
    virtual bool inputText(QWidget* owner, const QString& title, const QString& prompt, QString& value) = 0;
    // The warning sound of a refused input.
    virtual void beep() = 0;
};

// The prompts in use: the standard Qt boxes unless a replacement is installed.
TDialogPrompts& DialogPrompts();
// nullptr restores the standard boxes; the caller keeps ownership.
void SetDialogPrompts(TDialogPrompts* prompts);
