#include "widgets/UserPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextStream>

namespace {

// Exact text: without a display, prompts become "Kestrova: error: TEXT" lines on
// the error output, which scripts running the program read.
const QString kCaption = QStringLiteral("Kestrova");
TUserPrompts* installedPrompts = nullptr;

void WriteToStandardError(const QString& kind, const QString& text)
{
    QTextStream(stderr) << kCaption << ": " << kind << ": " << text << Qt::endl;
}

QWidget* Owner()
{
    QWidget* owner = QApplication::activeModalWidget();
    return owner ? owner : QApplication::activeWindow();
}

} // namespace

bool TMessageBoxPrompts::headless()
{
    return QGuiApplication::platformName() == u"offscreen" || QGuiApplication::platformName() == u"minimal";
}

void TMessageBoxPrompts::info(const QString& text)
{
    if (headless())
        return WriteToStandardError(QStringLiteral("info"), text);
    QMessageBox::information(Owner(), kCaption, text);
}

void TMessageBoxPrompts::error(const QString& text)
{
    if (headless())
        return WriteToStandardError(QStringLiteral("error"), text);
    QMessageBox::critical(Owner(), kCaption, text);
}

bool TMessageBoxPrompts::okCancel(const QString& text)
{
    if (headless()) {
        WriteToStandardError(QStringLiteral("question answered OK"), text);
        return true;
    }
    return QMessageBox::question(Owner(), kCaption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

TUserPrompts& UserPrompts()
{
    static TMessageBoxPrompts standard;
    return installedPrompts ? *installedPrompts : standard;
}

void SetUserPrompts(TUserPrompts* prompts)
{
    installedPrompts = prompts;
}

void ShowInfo(const QString& text)
{
    UserPrompts().info(text);
}

void ShowError(const QString& text)
{
    UserPrompts().error(text);
}

bool AskOkCancel(const QString& text)
{
    return UserPrompts().okCancel(text);
}
