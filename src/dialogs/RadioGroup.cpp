#include "dialogs/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    for (qsizetype i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        m_group->addButton(button, int(i));
        layout->addWidget(button);
    }
    layout->addStretch();
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Q_EMIT itemIndexChanged(id);
    });
}

int TRadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* chosen = m_group->button(index)) {
        chosen->setChecked(true);
        return;
    }
    // An exclusive group never lets its last checked button go.
    m_group->setExclusive(false);
    for (QAbstractButton* item : m_group->buttons())
        item->setChecked(false);
    m_group->setExclusive(true);
}

int TRadioGroup::count() const
{
    return int(m_group->buttons().size());
}

QRadioButton* TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(m_group->button(index));
}
