#pragma once

#include <QLineEdit>

class TResultsModel;
class TResultsView;

// The filter box above the results list: every change of its text filters the list at
// once (TResultsModel::setFilter). Esc empties it; Down moves to the list's first row.
class TResultsFilterBox : public QLineEdit {
    Q_OBJECT
public:
    TResultsFilterBox(TResultsModel& model, TResultsView& view, QWidget* parent = nullptr);

    // Ctrl+Shift+F: the box takes the focus with its text selected.
    void focusForTyping();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TResultsView& m_view;
};

// The main window's central widget: the filter box over the results list.
QWidget* MakeResultsPane(TResultsFilterBox& filterBox, TResultsView& view, QWidget* parent);
