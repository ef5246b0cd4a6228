#include "dialogs/IPRangeInputForm.h"

#include "dialogs/DialogPrompts.h"
#include "dialogs/IPAddressControl.h"
#include "dialogs/ModalButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TIPRangeInputForm::TIPRangeInputForm(QWidget* parent, const TAutoDetectIPForm::TInterfaceSource& interfaces)
    : QDialog(parent), m_interfaces(interfaces), m_from(new TIPAddressControl(this)),
      m_to(new TIPAddressControl(this))
{
    setWindowTitle(QStringLiteral("Add IP range"));
    m_from->setObjectName(QStringLiteral("ipFrom"));
    m_to->setObjectName(QStringLiteral("ipTo"));

    auto* intro = new QLabel(
        QStringLiteral("Please enter an IP range to be added. For example 192.168.100.1 and 192.168.100.50"),
        this);
    intro->setWordWrap(true);

    auto* autoButton = new QPushButton(QStringLiteral("&Auto"), this);
    autoButton->setObjectName(QStringLiteral("AutoButton"));
    autoButton->setAutoDefault(false);
    connect(autoButton, &QPushButton::clicked, this, &TIPRangeInputForm::autoDetect);

    auto* fields = new QGridLayout;
    auto* fromLabel = new QLabel(QStringLiteral("From"), this);
    fromLabel->setObjectName(QStringLiteral("lblIpFrom"));
    auto* toLabel = new QLabel(QStringLiteral("To"), this);
    toLabel->setObjectName(QStringLiteral("lblIpTo"));
    fields->addWidget(fromLabel, 0, 0);
    fields->addWidget(m_from, 0, 1);
    fields->addWidget(toLabel, 1, 0);
    fields->addWidget(m_to, 1, 1);
    fields->addWidget(autoButton, 0, 2);
    fields->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addWidget(new TModalButtons(this));
    resize(300, 170);
}

uint32_t TIPRangeInputForm::addressFrom() const
{
    return m_from->ipAddress();
}

uint32_t TIPRangeInputForm::addressTo() const
{
    return m_to->ipAddress();
}

void TIPRangeInputForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_from->focusFirstField();
}

void TIPRangeInputForm::autoDetect()
{
    TAutoDetectIPForm form(this, m_interfaces);
    if (form.exec() != QDialog::Accepted)
        return;
    // A form accepted without a row gives 0 for both, which empties both fields.
    if (form.rangeBegin() == 0)
        m_from->clear();
    else
        m_from->setIPAddress(form.rangeBegin());
    if (form.rangeEnd() == 0)
        m_to->clear();
    else
        m_to->setIPAddress(form.rangeEnd());
}

void TIPRangeInputForm::accept()
{
    for (TIPAddressControl* control : {m_from, m_to}) {
        if (control->isEmpty()) {
            DialogPrompts().beep();
            control->focusFirstField();
            return;
        }
    }
    QDialog::accept();
}
