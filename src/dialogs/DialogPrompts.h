#pragma once

#include <QString>

class QWidget;

// The message boxes, input boxes and file dialogs that the option and account dialogs
// open over themselves. Tests install their own TDialogPrompts to read and answer
// them without blocking.
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
    // Open dialog for an existing file; filter written "Caption (*.ext)|*.ext". Empty
    // when cancelled.
    virtual QString openFileName(QWidget* owner, const QString& filter) = 0;
    // Save dialog that asks before replacing a file; defaultSuffix ("txt") is added to
    // a name without one. Empty when cancelled.
    virtual QString saveFileName(QWidget* owner, const QString& filter, const QString& defaultSuffix) = 0;
    // The warning sound of a refused input.
    virtual void beep() = 0;
};

// The prompts in use: the standard Qt boxes unless a replacement is installed.
TDialogPrompts& DialogPrompts();
// nullptr restores the standard boxes; the caller keeps ownership.
void SetDialogPrompts(TDialogPrompts* prompts);

// "CSV files (*.csv)|*.csv" -> "CSV files (*.csv)", the form Qt's file dialogs take;
// several "caption|pattern" pairs become lines of their own.
QString QtFileFilter(const QString& filter);
