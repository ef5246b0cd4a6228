#pragma once

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <functional>

// The base of the modeless monitoring windows ("Working Threads", "Search Log"):
// a fixed-size window with a 10-pixel inner border that frees itself when closed
// and unchecks its toggle action whenever it is hidden, however it was closed (its
// Close button, the window's close box, or the action itself).
class TToolWindow : public QDialog {
    Q_OBJECT
public:
    TToolWindow(const QString& caption, QSize clientSize, QWidget* parent = nullptr);

    // The main window's check action that shows this window; unchecked on hide.
    void setToggleAction(QAction* action) { m_toggleAction = action; }
    QAction* toggleAction() const { return m_toggleAction; }

    // Centres the window on the main window when that is visible, else on the screen.
    void placeCentred(QWidget* mainWindow);

    static constexpr int kInnerBorder = 10;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QAction> m_toggleAction;
};

// The main window's toggle action for a tool window (connect it to QAction::triggered,
// which a programmatic setChecked does not emit). Checked: the open window of class
// Window among the application's windows is shown and brought to the front, or a new
// one made by `create` is placed and shown. Unchecked: the open window is closed.
// Returns the window shown, or null after closing.
template <typename Window>
Window* ToggleToolWindow(QAction* action, QWidget* mainWindow, const std::function<Window*()>& create)
{
    Window* open = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<Window*>(widget); candidate && candidate->isVisible()) {
            open = candidate;
            break;
        }
    }
    if (action && !action->isChecked()) {
        if (open)
            open->close();
        return nullptr;
    }
    if (!open) {
        open = create();
        open->setToggleAction(action);
        open->placeCentred(mainWindow);
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}
