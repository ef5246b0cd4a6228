#pragma once

#include "dialogs/AutoDetectIPForm.h"

#include <QDialog>
#include <cstdint>

class QLabel;
class TIPAddressControl;

// "Add IP range": two addresses, "From" and "To". "&Auto" fills both from an
// interface chosen in "Auto Detect". The line below the fields tells, as they are
// typed, how many addresses the range holds. OK beeps and puts the caret into the
// first empty field (0.0.0.0 counts as empty), beeps at two equal ends (no range), and
// asks before a range over kLargeIPRange addresses (an interface of a /8 holds 16.7
// million); the two may stand in either order. rangeEntry() is the entry text, lower
// end first.
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

    // "first - last", the lower address first.
    QString rangeEntry() const;
    QString checkText() const;

    void accept() override;
    void autoDetect();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TAutoDetectIPForm::TInterfaceSource m_interfaces;
    TIPAddressControl* m_from;
    TIPAddressControl* m_to;
    QLabel* m_check;

    void check();
};
