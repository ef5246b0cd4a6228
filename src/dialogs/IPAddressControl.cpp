#include "dialogs/IPAddressControl.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace {

constexpr int kMaxFieldValue = 255;

// A field's value; an empty field is 0.
uint32_t FieldValue(const QLineEdit* field)
{
    const int value = field->text().toInt();
    return uint32_t(std::clamp(value, 0, kMaxFieldValue));
}

} // namespace

TIPAddressControl::TIPAddressControl(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 4);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { fieldEdited(i); });
        connect(field, &QLineEdit::editingFinished, this, [field] {
            if (field->text().toInt() > kMaxFieldValue)
                field->setText(QString::number(kMaxFieldValue));
        });
        layout->addWidget(field);
        m_fields[size_t(i)] = field;
    }
    layout->addStretch();
    setFocusProxy(m_fields[0]);
}

uint32_t TIPAddressControl::ipAddress() const
{
    uint32_t address = 0;
    for (const QLineEdit* field : m_fields)
        address = (address << 8) | FieldValue(field);
    return address;
}

void TIPAddressControl::setIPAddress(uint32_t hostOrder)
{
    for (int i = 0; i < 4; ++i)
        m_fields[size_t(i)]->setText(QString::number((hostOrder >> (24 - 8 * i)) & 0xFF));
}

void TIPAddressControl::clear()
{
    for (QLineEdit* field : m_fields)
        field->clear();
}

void TIPAddressControl::focusFirstField()
{
    focusField(0, true);
}

int TIPAddressControl::fieldIndex(QObject* object) const
{
    for (int i = 0; i < 4; ++i) {
        if (m_fields[size_t(i)] == object)
            return i;
    }
    return -1;
}

void TIPAddressControl::focusField(int index, bool selectAll)
{
    QLineEdit* field = m_fields[size_t(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        field->selectAll();
    else
        field->end(false);
}

void TIPAddressControl::fieldEdited(int index)
{
    QLineEdit* field = m_fields[size_t(index)];
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index < 3)
        focusField(index + 1, true);
}

bool TIPAddressControl::pasteAddress(const QString& text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 4)
        return false;
    uint32_t address = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 10);
        if (!ok || value > uint(kMaxFieldValue))
            return false;
        address = (address << 8) | value;
    }
    setIPAddress(address);
    return true;
}

bool TIPAddressControl::eventFilter(QObject* watched, QEvent* event)
{
    const int index = fieldIndex(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* field = m_fields[size_t(index)];
    if (key->matches(QKeySequence::Paste) && pasteAddress(QApplication::clipboard()->text()))
        return true;
    if (key->text() == QLatin1String(".") || key->key() == Qt::Key_Space) {
        if (!field->text().isEmpty() && index < 3)
            focusField(index + 1, true);
        return true;
    }
    if (key->key() == Qt::Key_Backspace && field->cursorPosition() == 0 && !field->hasSelectedText() &&
        index > 0) {
        focusField(index - 1, false);
        return true;
    }
    if (key->key() == Qt::Key_Right && field->cursorPosition() == field->text().size() && index < 3) {
        focusField(index + 1, false);
        m_fields[static_cast<size_t>(index) + 1]->setCursorPosition(0);
        return true;
    }
    if (key->key() == Qt::Key_Left && field->cursorPosition() == 0 && index > 0) {
        focusField(index - 1, false);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
