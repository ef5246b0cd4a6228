#pragma once

#include "update/UpdateCheckTexts.h"

#include <QDialog>

class QDialogButtonBox;
class QLineEdit;

// Asks for the user name and password a proxy server wants before it passes the
// update check's request on. OK with an empty user name is not offered.
class TProxyCredentialsDialog : public QDialog {
    Q_OBJECT
public:
    TProxyCredentialsDialog(const TUpdateCheckTexts& texts, const QString& proxy, QWidget* parent = nullptr);

    QString user() const;
    QString password() const;
    QLineEdit* userEdit() const { return m_user; }
    QLineEdit* passwordEdit() const { return m_password; }
    QDialogButtonBox* buttons() const { return m_buttons; }

private:
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
