#include "app/ResultsFilterBox.h"

#include "app/ResultsModel.h"
#include "app/ResultsView.h"

#include <QKeyEvent>
#include <QVBoxLayout>

TResultsFilterBox::TResultsFilterBox(TResultsModel& model, TResultsView& view, QWidget* parent)
    : QLineEdit(parent), m_view(view)
{
    setObjectName(QStringLiteral("FilterBox"));
    setPlaceholderText(
        QStringLiteral("Filter the results: part of a name or location, or a mask such as *.pdf"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Shows only the rows whose name or location holds this text; "
                              "with * or ? the name must match it as a mask"));
    connect(this, &QLineEdit::textChanged, &model, &TResultsModel::setFilter);
}

void TResultsFilterBox::focusForTyping()
{
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void TResultsFilterBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        return;
    }
    if (event->key() == Qt::Key_Down && m_view.model()->rowCount() > 0) {
        m_view.setFocus(Qt::TabFocusReason);
        m_view.selectRow(0);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QWidget* MakeResultsPane(TResultsFilterBox& filterBox, TResultsView& view, QWidget* parent)
{
    auto* pane = new QWidget(parent);
    pane->setObjectName(QStringLiteral("ResultsPane"));
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    filterBox.setParent(pane);
    view.setParent(pane);
    layout->addWidget(&filterBox);
    layout->addWidget(&view);
    return pane;
}
