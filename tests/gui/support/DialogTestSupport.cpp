#include "support/DialogTestSupport.h"

#include "support/GuiTestApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

TDialogTest::TDialogTest()
{
    EnsureGuiApplication();
    m_watchdog = new QTimer;
    m_watchdog->setInterval(500);
    auto seen = std::make_shared<std::pair<QPointer<QWidget>, int>>();
    QObject::connect(m_watchdog, &QTimer::timeout, [seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != seen->first) {
            *seen = {modal, 0};
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && ++seen->second >= 10) {
            ADD_FAILURE() << "an unanswered dialog was open: " << dialog->windowTitle().toStdString();
            dialog->reject();
        }
    });
    m_watchdog->start();
}

TDialogTest::~TDialogTest()
{
    delete m_watchdog;
}

TRecordingDialogPrompts::TRecordingDialogPrompts()
{
    SetDialogPrompts(this);
    SetFileDialogs(this);
}

TRecordingDialogPrompts::~TRecordingDialogPrompts()
{
    SetDialogPrompts(nullptr);
    SetFileDialogs(nullptr);
}

void TRecordingDialogPrompts::error(QWidget* owner, const QString& text)
{
    owners.append(owner);
    errors.append(text);
}

void TRecordingDialogPrompts::warning(QWidget* owner, const QString& text)
{
    owners.append(owner);
    warnings.append(text);
}

bool TRecordingDialogPrompts::askYesNo(QWidget* owner, const QString& title, const QString& text)
{
    owners.append(owner);
    questions.append(title + QStringLiteral(": ") + text);
    if (yesNoAnswers.empty())
        return true;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

bool TRecordingDialogPrompts::inputText(QWidget* owner, const QString& title, const QString& prompt,
                                        QString& value)
{
    owners.append(owner);
    inputs.append(title + u'|' + prompt + u'|' + value);
    if (inputAnswers.empty())
        return false;
    const std::optional<QString> answer = inputAnswers.front();
    inputAnswers.pop_front();
    if (!answer)
        return false;
    value = *answer;
    return true;
}

QString TRecordingDialogPrompts::openFileName(QWidget* owner, const QString& title, const QString& filter)
{
    owners.append(owner);
    fileTitles.append(title);
    fileFilters.append(filter);
    if (openFileAnswers.empty())
        return {};
    const QString answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

QString TRecordingDialogPrompts::saveFileName(QWidget* owner, const QString& title, const QString& filter,
                                              const QString& defaultSuffix, int* selectedFilter)
{
    owners.append(owner);
    fileTitles.append(title);
    fileFilters.append(filter + u'|' + defaultSuffix);
    if (saveFileAnswers.empty())
        return {};
    const QString answer = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    if (selectedFilter)
        *selectedFilter = 1;
    return answer;
}

void OnNextModal(std::function<void(QDialog*)> action)
{
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, before, waited, action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog || modal == before) {
            if (++*waited > 500) {
                poll->deleteLater();
                ADD_FAILURE() << "no modal dialog opened";
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(dialog);
        if (dialog->isVisible()) {
            const QPointer<QDialog> left = dialog;
            QTimer::singleShot(5000, [left] {
                if (left && left->isVisible()) {
                    ADD_FAILURE() << "the action left the dialog open";
                    left->reject();
                }
            });
        }
    });
    poll->start();
}

void ClickButton(QDialog* dialog, const QString& objectName)
{
    auto* button = dialog->findChild<QAbstractButton*>(objectName);
    ASSERT_NE(button, nullptr) << objectName.toStdString();
    button->click();
}
