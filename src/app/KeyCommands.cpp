#include "app/KeyCommands.h"

#include "app/MainWindow.h"
#include "app/ResultsFilterBox.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"

#include <QAction>
#include <QMenu>

namespace {

// The menu of the menu bar that holds the action (the first one found).
QMenu* MenuHolding(QAction* action)
{
    for (QObject* object : action->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(object))
            return menu;
    }
    return nullptr;
}

} // namespace

QAction* InstallKeyCommands(TMainWindow& window, TResultsFilterBox& filterBox)
{
    QAction* search = window.action(TCommand::Search);
    const QKeySequence startKey = search->shortcut();
    TSearchControl& control = window.searchControl();
    QObject::connect(&control, &TSearchControl::started, search,
                     [search] { search->setShortcut(QKeySequence(Qt::Key_Escape)); });
    QObject::connect(&control, &TSearchControl::ended, search,
                     [search, startKey] { search->setShortcut(startKey); });

    QAction* remove = window.action(TCommand::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window.resultsView()->addAction(remove);
    if (QMenu* popup = window.resultsView()->popupMenu()) {
        for (QAction* action : popup->actions())
            action->setShortcutVisibleInContextMenu(true);
    }

    auto* filter = new QAction(QStringLiteral("Filter Results"), &window);
    filter->setObjectName(QStringLiteral("ActionFilterResults"));
    filter->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    filter->setStatusTip(QStringLiteral("Filter Results"));
    QObject::connect(filter, &QAction::triggered, &filterBox, &TResultsFilterBox::focusForTyping);
    window.addAction(filter);
    if (QMenu* edit = MenuHolding(window.action(TCommand::Find)))
        edit->addAction(filter);
    return filter;
}
