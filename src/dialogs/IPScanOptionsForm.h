#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QSpinBox;
struct TIPDiscoverySettings;

// "IP Address Discovery Options": the probe thread limit (10 to 1000), the probe
// time-out (100 to 5000 ms), the discovery methods (ICMP, NetBIOS, ARP ping) and
// reverse name lookup. OK refuses a choice without any method, with a warning.
//
// Entry point (the Options dialog's "Additional settings"):
// TIPScanOptionsForm::Execute(parent, discovery) loads the program's discovery
// settings and writes the four values back at once when the dialog closes with OK.
class TIPScanOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TIPScanOptionsForm(QWidget* parent = nullptr);

    static bool Execute(QWidget* parent, TIPDiscoverySettings& settings);

    void load(const TIPDiscoverySettings& settings);
    void store(TIPDiscoverySettings& settings) const;

    int32_t timeOut() const;
    int32_t maxThreads() const;
    bool resolveAddress() const;
    // The ticked methods as TDiscoveryMethods bits.
    uint8_t discoveryMethod() const;

    void accept() override;

private:
    QSpinBox* m_threads;
    QSpinBox* m_timeOut;
    QCheckBox* m_icmp;
    QCheckBox* m_netBios;
    QCheckBox* m_arp;
    QCheckBox* m_tcp;
    QSpinBox* m_window;
    QCheckBox* m_resolve;
};
