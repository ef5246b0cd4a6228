#include "update/ProxyCredentialsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TProxyCredentialsDialog::TProxyCredentialsDialog(const TUpdateCheckTexts& texts, const QString& proxy,
                                                 QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ProxyCredentialsDialog"));
    setWindowTitle(texts.ProxyCredentialsCaption);
    setModal(true);

    auto* prompt = new QLabel(texts.ProxyCredentialsPrompt.arg(proxy), this);
    prompt->setWordWrap(true);
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("UserEdit"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("PasswordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_user, &QLineEdit::textChanged, ok,
            [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&User name:"), m_user);
    fields->addRow(QStringLiteral("&Password:"), m_password);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(fields);
    layout->addWidget(m_buttons);
}

QString TProxyCredentialsDialog::user() const
{
    return m_user->text();
}

QString TProxyCredentialsDialog::password() const
{
    return m_password->text();
}
