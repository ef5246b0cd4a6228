#pragma once

#include <QDialogButtonBox>

class QDialog;
class QPushButton;

// The OK/Cancel pair every dialog ends with: "&OK" is the default button and calls
// the dialog's accept() (dialogs that check their input override accept() and stay
// open when it fails); "&Cancel", like Esc and the close box, calls reject().
class TModalButtons : public QDialogButtonBox {
    Q_OBJECT
public:
    explicit TModalButtons(QDialog* dialog, Qt::Orientation orientation = Qt::Horizontal);

    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
