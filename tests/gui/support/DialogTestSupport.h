#pragma once

#include "dialogs/DialogPrompts.h"
#include "widgets/FileDialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

class QDialog;
class QTimer;

// Base of the dialog test fixtures: the application exists before any member
// widget of a fixture is built, and a modal dialog that nobody answers (one the test
// did not expect) fails the test and is rejected after five seconds instead of
// blocking it for ever.
class TDialogTest : public ::testing::Test {
protected:
    TDialogTest();
    ~TDialogTest() override;

private:
    QTimer* m_watchdog;
};

// Message, input and file boxes for tests: records what was asked and answers from
// queues. Yes/No questions answer Yes, input boxes Cancel and file dialogs Cancel when
// their queue is empty. Installs itself (as the dialog prompts and as the file
// dialogs) while it lives.
class TRecordingDialogPrompts : public TDialogPrompts, public TFileDialogs {
public:
    TRecordingDialogPrompts();
    ~TRecordingDialogPrompts() override;

    void error(QWidget* owner, const QString& text) override;
    void warning(QWidget* owner, const QString& text) override;
    bool askYesNo(QWidget* owner, const QString& title, const QString& text) override;
    bool inputText(QWidget* owner, const QString& title, const QString& prompt, QString& value) override;
    QString openFileName(QWidget* owner, const QString& title, const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& title, const QString& filter,
                         const QString& defaultSuffix, int* selectedFilter = nullptr) override;
    void beep() override { ++beeps; }

    QStringList errors;
    QStringList warnings;
    QStringList questions;   // "title: text"
    QStringList inputs;      // "title|prompt|starting value"
    QStringList fileTitles;  // the title of each file dialog
    QStringList fileFilters; // the filter of each file dialog, save dialogs with "|suffix"
    QList<QWidget*> owners;  // the owner of every box, in order
    int beeps = 0;

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> inputAnswers; // nullopt: Cancel
    std::deque<QString> openFileAnswers;
    std::deque<QString> saveFileAnswers;
};

// Runs action on the next modal dialog that opens after this call (the caller then
// opens it; exec() returns once the action closed it). A dialog the action leaves open
// is rejected, and the test fails, after five seconds, so a test never hangs.
void OnNextModal(std::function<void(QDialog*)> action);

// Clicks the dialog's button with the given object name.
void ClickButton(QDialog* dialog, const QString& objectName);
