#include "dialogs/IPRangeInputForm.h"

#include "dialogs/DialogPrompts.h"
#include "dialogs/IPAddressControl.h"
#include "dialogs/IPRangeCheck.h"
#include "dialogs/ModalButtons.h"
#include "model/ScopeEntry.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

TIPRangeInputForm::TIPRangeInputForm(QWidget* parent, const TAutoDetectIPForm::TInterfaceSource& interfaces)
    : QDialog(parent), m_interfaces(interfaces), m_from(new TIPAddressControl(this)),
      m_to(new TIPAddressControl(this)), m_check(new QLabel(this))
{
    // Exact text: the IP dialog and Options dialog tests find the dialog by its title.
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

    m_check->setObjectName(QStringLiteral("lblRangeCheck"));
    for (TIPAddressControl* control : {m_from, m_to}) {
        for (int index = 0; index < 4; ++index)
            connect(control->field(index), &QLineEdit::textChanged, this, &TIPRangeInputForm::check);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(fields);
    layout->addWidget(m_check);
    layout->addStretch();
    layout->addWidget(new TModalButtons(this));
    resize(340, 190);
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

QString TIPRangeInputForm::rangeEntry() const
{
    return IpRangeEntry(std::min(addressFrom(), addressTo()), std::max(addressFrom(), addressTo()));
}

QString TIPRangeInputForm::checkText() const
{
    return m_check->text();
}

void TIPRangeInputForm::check()
{
    m_check->setText(m_from->isEmpty() || m_to->isEmpty() ? QString() : CheckIPRangeEntry(rangeEntry()).Text);
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
    const TIPRangeCheck range = CheckIPRangeEntry(rangeEntry());
    if (!range.Valid) {
        DialogPrompts().beep();
        m_to->focusFirstField();
        return;
    }
    if (!ConfirmLargeIPRange(this, range))
        return;
    QDialog::accept();
}
