#pragma once

#include "widgets/UserPrompts.h"

#include <QString>
#include <QStringList>
#include <deque>

// Creates the process's QApplication once, on the offscreen platform, with a private
// runtime folder. Every widget test calls it first.
void EnsureGuiApplication();

// Message boxes for tests: records every text and answers questions from a queue
// (OK when the queue is empty). Installs itself while it lives.
class TRecordingPrompts : public TUserPrompts {
public:
    TRecordingPrompts();
    ~TRecordingPrompts() override;

    void info(const QString& text) override { infos.append(text); }
    void error(const QString& text) override { errors.append(text); }
    bool okCancel(const QString& text) override;

    QStringList infos;
    QStringList errors;
    QStringList questions;
    std::deque<bool> answers;
};
