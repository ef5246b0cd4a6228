#pragma once

#include <QString>

// The program's message boxes. The main window's boxes carry the caption "Kestrova":
// ShowInfo (information, OK), ShowError (error, OK) and AskOkCancel (question, OK and
// Cancel; true for OK). Tests install their own TUserPrompts to read and answer them.
class TUserPrompts {
public:
    virtual ~TUserPrompts() = default;
    virtual void info(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual bool okCancel(const QString& text) = 0;
};

// Modal message boxes over the active window. When the program runs without a display
// (Qt's offscreen platform: an unattended run on a server) nobody could ever answer a
// box, so the texts go to standard error instead and questions are answered with OK.
class TMessageBoxPrompts : public TUserPrompts {
public:
    void info(const QString& text) override;
    void error(const QString& text) override;
    bool okCancel(const QString& text) override;

    static bool headless();
};

// The prompts in use (a TMessageBoxPrompts unless replaced). SetUserPrompts(nullptr)
// restores the default; the caller keeps ownership of what it installs.
TUserPrompts& UserPrompts();
void SetUserPrompts(TUserPrompts* prompts);

void ShowInfo(const QString& text);
void ShowError(const QString& text);
bool AskOkCancel(const QString& text);
