#pragma once

#include "platform/InterfaceAddresses.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <vector>

class QTreeWidget;

// "Auto Detect": the machine's IPv4 interface addresses with their masks. OK with a
// row selected makes the row's whole address block the range (network and broadcast
// address included, InterfaceAddressBlock); OK without one leaves both ends 0.
class TAutoDetectIPForm : public QDialog {
    Q_OBJECT
public:
    using TInterfaceSource = std::function<std::vector<TInterfaceAddress>()>;

    // interfaces supplies the rows (default: LocalInterfaceAddresses).
    explicit TAutoDetectIPForm(QWidget* parent = nullptr, const TInterfaceSource& interfaces = {});

    // Host order; 0 until a row is accepted.
    uint32_t rangeBegin() const { return m_rangeBegin; }
    uint32_t rangeEnd() const { return m_rangeEnd; }
    QTreeWidget* interfaceList() const { return m_list; }

    void accept() override;

private:
    std::vector<TInterfaceAddress> m_interfaces;
    QTreeWidget* m_list;
    uint32_t m_rangeBegin = 0;
    uint32_t m_rangeEnd = 0;
};
