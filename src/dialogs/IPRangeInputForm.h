#pragma once

#include "dialogs/AutoDetectIPForm.h"

#include <QDialog>
#include <cstdint>

class TIPAddressControl;

// "Add IP range": two addresses, "From" and "To". "&Auto" fills both from an
// interface chosen in "Auto Detect". OK beeps and puts the caret into the first empty
// field (0.0.0.0 counts as empty); the two may stand in either order. The caller
// turns them into the entry text with IpRangeEntry.
class TIPRangeInputForm : public QDialog {
    Q_OBJECT
public:
    // interfaces is handed to "Auto Detect" (default: the machine's own).
    explicit TIPRangeInputForm(QWidget* parent = nullptr,
                               const TAutoDetectIPForm::TInterfaceSource& interfaces = {});

    // Host order.
    uint32_t addressFrom() const;
    uint32_t addressTo() const;
    TIPAddressControl* fromControl() const { return m_from; }
    TIPAddressControl* toControl() const { return m_to; }

    void accept() override;
    void autoDetect();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TAutoDetectIPForm::TInterfaceSource m_interfaces;
    TIPAddressControl* m_from;
    TIPAddressControl* m_to;
};
