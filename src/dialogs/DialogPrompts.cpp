#include "dialogs/DialogPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

class TStandardPrompts : public TDialogPrompts {
public:
    void error(QWidget* owner, const QString& text) override
    {
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

    QString openFileName(QWidget* owner, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(owner, QString(), QString(), QtFileFilter(filter));
    }

    QString saveFileName(QWidget* owner, const QString& filter, const QString& defaultSuffix) override
    {
        // The static dialog adds no suffix; a dialog object of our own does.
        QFileDialog dialog(owner, QString(), QString(), QtFileFilter(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
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

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList captions;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        captions.append(parts.at(i));
    return captions.join(QStringLiteral(";;"));
}
