#include "support/RecordingMessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>

RecordingMessageBoxes::RecordingMessageBoxes()
{
    SetMessageBoxes(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes()
{
    SetMessageBoxes(nullptr);
}

QMessageBox::StandardButton RecordingMessageBoxes::show(const TMessageBoxRequest& request)
{
    shown.append(request);
    if (!answers.empty()) {
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return UnattendedAnswer(request);
}

QStringList RecordingMessageBoxes::texts() const
{
    QStringList texts;
    for (const TMessageBoxRequest& request : shown)
        texts.append(request.text);
    return texts;
}

void EnsureOffscreenApplication()
{
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QByteArray runtimeDir = (QDir::tempPath() + QStringLiteral("/kestrova-gui-test-runtime")).toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(runtimeDir));
    QFile::setPermissions(QString::fromLocal8Bit(runtimeDir),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
    static int argc = 1;
    static char name[] = "kestrova-gui-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
}
