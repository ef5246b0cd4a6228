#include "dialogs/DialogPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

class TStandardPrompts : public TDialogPrompts {
public:
    void error(QWidget* owner, const QString& text) override
    {
        // Exact text: the error boxes' caption, which the tests find boxes by.
        QMessageBox::critical(owner, QStringLiteral("Error"), text);
    }

    void warning(QWidget* owner, const QString& text) override
    {
        QMessageBox::warning(owner, QStringLiteral("Warning"), text);
    }

    bool askYesNo(QWidget* owner, const QString& title, const QString& text) override
    {
        return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    bool inputText(QWidget* owner, const QString& title, const QString& prompt, QString& value) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, value, &ok);
        if (ok)
            value = answer;
        return ok;
    }

    void beep() override { QApplication::beep(); }
};

TDialogPrompts*& InstalledPrompts()
{
    static TDialogPrompts* installed = nullptr;
    return installed;
}

} // namespace

TDialogPrompts& DialogPrompts()
{
    static TStandardPrompts standard;
    TDialogPrompts* installed = InstalledPrompts();
    return installed ? *installed : standard;
}

void SetDialogPrompts(TDialogPrompts* prompts)
{
    InstalledPrompts() = prompts;
}
