#pragma once

#include "dialogs/IPRangeCheck.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class TModalButtons;

// "Edit IP range": the entry as text ("first - last" or "address/prefix"), checked as
// it is typed: the line below says how many addresses it holds or why it is no range,
// and OK is enabled only for a valid one. A range over kLargeIPRange addresses asks
// before OK closes. Wide enough for the longest range text.
class TIPRangeEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TIPRangeEditForm(const QString& entry, QWidget* parent = nullptr);

    QString entry() const;
    QLineEdit* entryEdit() const { return m_entry; }
    QString checkText() const;
    bool okEnabled() const;

    void accept() override;

private:
    void check();

    QLineEdit* m_entry;
    QLabel* m_check;
    TModalButtons* m_buttons;
    TIPRangeCheck m_state;
};
