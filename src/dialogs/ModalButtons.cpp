#include "dialogs/ModalButtons.h"

#include <QDialog>
#include <QPushButton>

TModalButtons::TModalButtons(QDialog* dialog, Qt::Orientation orientation)
    : QDialogButtonBox(orientation, dialog)
{
    m_ok = addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    m_cancel = addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_ok->setDefault(true);
    connect(this, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(this, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
}
