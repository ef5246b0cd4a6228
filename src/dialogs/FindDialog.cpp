#include "dialogs/FindDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    label->setBuddy(m_text);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_findNext = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    m_findNext->setObjectName(QStringLiteral("FindNextButton"));
    m_findNext->setDefault(true);
    m_findNext->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(m_text, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(field);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);

    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_findNext->setEnabled(!text.isEmpty()); });
    connect(m_findNext, &QPushButton::clicked, this, [this] { Q_EMIT findNext(m_text->text()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(360, sizeHint().height());
}

QString TFindDialog::text() const
{
    return m_text->text();
}

void TFindDialog::setText(const QString& text)
{
    m_text->setText(text);
}
