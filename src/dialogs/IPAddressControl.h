#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

class QLineEdit;

// A four-field IPv4 entry box. The address is a 32-bit host-order value, first field
// in the most significant byte; empty fields count as 0, so an empty box and one
// holding 0.0.0.0 both read as 0, which counts as empty. A field above 255 becomes
// 255 when the caret leaves it. Typing "." (or a blank) moves on to the next field,
// as does a third digit; Backspace in an empty field goes back to the previous one.
// A dotted address pasted into any field fills all four.
class TIPAddressControl : public QFrame {
    Q_OBJECT
public:
    explicit TIPAddressControl(QWidget* parent = nullptr);

    uint32_t ipAddress() const;
    void setIPAddress(uint32_t hostOrder);
    bool isEmpty() const { return ipAddress() == 0; }
    void clear();
    // Puts the caret into the first field.
    void focusFirstField();
    QLineEdit* field(int index) const { return m_fields.at(size_t(index)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int fieldIndex(QObject* object) const;
    void focusField(int index, bool selectAll);
    void fieldEdited(int index);
    bool pasteAddress(const QString& text);

    std::array<QLineEdit*, 4> m_fields{};
};
