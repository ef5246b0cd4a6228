#pragma once

#include <QGroupBox>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio buttons whose value is the index of the chosen item:
// 0 for the first, -1 when none is chosen (a stored value outside the items selects
// none).
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    int count() const;
    QRadioButton* button(int index) const;

Q_SIGNALS:
    // The user or setItemIndex chose another item.
    void itemIndexChanged(int index);

private:
    QButtonGroup* m_group;
};
