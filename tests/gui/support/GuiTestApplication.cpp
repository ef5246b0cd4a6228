#include "support/GuiTestApplication.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>

void EnsureGuiApplication()
{
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QByteArray runtimeDir =
        (QDir::tempPath() + QStringLiteral("/kestrova-gui-test-runtime")).toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(runtimeDir));
    QFile::setPermissions(QString::fromLocal8Bit(runtimeDir),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
    static int argc = 1;
    static char name[] = "kestrova-gui-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
}

TRecordingPrompts::TRecordingPrompts()
{
    SetUserPrompts(this);
}

TRecordingPrompts::~TRecordingPrompts()
{
    SetUserPrompts(nullptr);
}

bool TRecordingPrompts::okCancel(const QString& text)
{
    questions.append(text);
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}
