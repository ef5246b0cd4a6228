#include "dialogs/IPScanOptionsForm.h"

#include "dialogs/DialogPrompts.h"
#include "dialogs/ModalButtons.h"
#include "model/DiscoverySettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* CreateNumberField(const QString& name, int minimum, int maximum, int step, QWidget* parent)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(minimum, maximum);
    field->setSingleStep(step);
    field->setValue(minimum);
    return field;
}

QCheckBox* CreateCheckBox(const QString& caption, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

TIPScanOptionsForm::TIPScanOptionsForm(QWidget* parent)
    : QDialog(parent), m_threads(CreateNumberField(QStringLiteral("ThreadsLabeledEdit"), 10, 4096, 10, this)),
      m_timeOut(CreateNumberField(QStringLiteral("TimeOutLabeledEdit"), 100, 5000, 100, this)),
      m_icmp(CreateCheckBox(QStringLiteral("ICMP ping"), QStringLiteral("ICMPCheckBox"), this)),
      m_netBios(CreateCheckBox(QStringLiteral("NetBios ping"), QStringLiteral("NetBiosCheckBox"), this)),
      m_arp(CreateCheckBox(QStringLiteral("ARP ping"), QStringLiteral("ARPCheckBox"), this)),
      m_tcp(CreateCheckBox(QStringLiteral("TCP connect (ports 445, 139; 21 for FTP)"),
                           QStringLiteral("TCPCheckBox"), this)),
      m_window(CreateNumberField(QStringLiteral("DiscoveryWindowEdit"), 0, 10000, 100, this)),
      m_resolve(CreateCheckBox(QStringLiteral("Resolve IP addresses to host names"),
                               QStringLiteral("ResolveIPCheckBox"), this))
{
    setWindowTitle(QStringLiteral("IP Address Discovery Options"));
    auto* numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("Max threads"), m_threads);
    numbers->addRow(QStringLiteral("Timeout, ms"), m_timeOut);
    m_threads->setToolTip(
        QStringLiteral("Probes in flight at once; the methods of one address run side by side"));
    m_window->setToolTip(
        QStringLiteral("How long WS-Discovery and DNS-SD listen for computers; 0 turns them off"));
    numbers->addRow(QStringLiteral("Multicast discovery window, ms"), m_window);

    auto* methods = new QGroupBox(QStringLiteral("Discovery method"), this);
    methods->setObjectName(QStringLiteral("MethodGroupBox"));
    auto* methodLayout = new QVBoxLayout(methods);
    methodLayout->addWidget(m_icmp);
    methodLayout->addWidget(m_netBios);
    methodLayout->addWidget(m_arp);
    methodLayout->addWidget(m_tcp);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numbers);
    layout->addWidget(methods);
    layout->addWidget(m_resolve);
    layout->addStretch();
    layout->addWidget(new TModalButtons(this));
    resize(340, 300);
}

bool TIPScanOptionsForm::Execute(QWidget* parent, TIPDiscoverySettings& settings)
{
    TIPScanOptionsForm form(parent);
    form.load(settings);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.store(settings);
    return true;
}

void TIPScanOptionsForm::load(const TIPDiscoverySettings& settings)
{
    m_timeOut->setValue(settings.TimeOut);
    m_threads->setValue(settings.MaxThreads);
    m_resolve->setChecked(settings.ResolveAddress);
    const TDiscoveryMethods methods = TDiscoveryMethods::FromBits(settings.Method);
    m_icmp->setChecked(methods.Contains(TDiscoveryMethod::ICMP));
    m_netBios->setChecked(methods.Contains(TDiscoveryMethod::NetBios));
    m_arp->setChecked(methods.Contains(TDiscoveryMethod::ARP));
    m_tcp->setChecked(methods.Contains(TDiscoveryMethod::TCP));
    m_window->setValue(settings.DiscoveryWindow);
}

void TIPScanOptionsForm::store(TIPDiscoverySettings& settings) const
{
    settings.TimeOut = timeOut();
    settings.MaxThreads = maxThreads();
    settings.ResolveAddress = resolveAddress();
    settings.Method = discoveryMethod();
    settings.DiscoveryWindow = m_window->value();
}

int32_t TIPScanOptionsForm::timeOut() const
{
    return m_timeOut->value();
}

int32_t TIPScanOptionsForm::maxThreads() const
{
    return m_threads->value();
}

bool TIPScanOptionsForm::resolveAddress() const
{
    return m_resolve->isChecked();
}

uint8_t TIPScanOptionsForm::discoveryMethod() const
{
    TDiscoveryMethods methods;
    if (m_icmp->isChecked())
        methods |= TDiscoveryMethod::ICMP;
    if (m_netBios->isChecked())
        methods |= TDiscoveryMethod::NetBios;
    if (m_arp->isChecked())
        methods |= TDiscoveryMethod::ARP;
    if (m_tcp->isChecked())
        methods |= TDiscoveryMethod::TCP;
    return methods.Bits();
}

void TIPScanOptionsForm::accept()
{
    if (discoveryMethod() == 0) {
        // Exact text: compared by the IP dialog tests.
        DialogPrompts().warning(this, QStringLiteral("At least one discovery method must be chosen."));
        return;
    }
    QDialog::accept();
}
