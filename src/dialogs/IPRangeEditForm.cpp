#include "dialogs/IPRangeEditForm.h"

#include "dialogs/ModalButtons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TIPRangeEditForm::TIPRangeEditForm(const QString& entry, QWidget* parent)
    : QDialog(parent), m_entry(new QLineEdit(entry, this)), m_check(new QLabel(this)),
      m_buttons(new TModalButtons(this))
{
    // Exact text: the Options dialog tests find the editor by its title.
    setWindowTitle(QStringLiteral("Edit IP range"));
    m_entry->setObjectName(QStringLiteral("leRange"));
    // "255.255.255.255 - 255.255.255.255" with room to spare.
    m_entry->setMinimumWidth(
        m_entry->fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255 - 255.255.255.255")) + 24);
    m_check->setObjectName(QStringLiteral("lblRangeCheck"));
    m_check->setWordWrap(true);
    connect(m_entry, &QLineEdit::textChanged, this, &TIPRangeEditForm::check);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("IP range"), this));
    layout->addWidget(m_entry);
    layout->addWidget(m_check);
    layout->addStretch();
    layout->addWidget(m_buttons);
    check();
}

QString TIPRangeEditForm::entry() const
{
    return m_entry->text().trimmed();
}

QString TIPRangeEditForm::checkText() const
{
    return m_check->text();
}

bool TIPRangeEditForm::okEnabled() const
{
    return m_buttons->okButton()->isEnabled();
}

void TIPRangeEditForm::check()
{
    m_state = CheckIPRangeEntry(entry());
    m_check->setText(m_state.Text);
    m_buttons->okButton()->setEnabled(m_state.Valid);
}

void TIPRangeEditForm::accept()
{
    if (!m_state.Valid || !ConfirmLargeIPRange(this, m_state))
        return;
    QDialog::accept();
}
