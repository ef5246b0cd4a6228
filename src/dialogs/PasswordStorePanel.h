#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class TPasswordKeeper;

// The line of the password management window that says where the stored passwords
// are kept (the settings file or the desktop's keyring), how many are missing from
// the keyring, and moves them to the other store: the keeper's store changes and
// persist writes the accounts at once (the old store's copies go only after the new
// ones are written). A failed move restores the previous store and says why.
class TPasswordStorePanel : public QWidget {
    Q_OBJECT
public:
    TPasswordStorePanel(TPasswordKeeper& keeper, std::function<void()> persist, QWidget* parent = nullptr);

    void moveToOtherStore();
    // Re-reads the keeper's state; missing is the number of accounts whose password
    // the keyring did not give.
    void update(int missing);

Q_SIGNALS:
    void moved();

private:
    TPasswordKeeper& m_keeper;
    std::function<void()> m_persist;
    QLabel* m_where;
    QPushButton* m_move;
};
