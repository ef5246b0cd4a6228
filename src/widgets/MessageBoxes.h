#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The message boxes of the monitoring views, the update check and the file
// operations all go through one replaceable service, so that tests read the texts
// and answer the questions instead of a person (a modal box would otherwise wait
// for a click that never comes).
struct TMessageBoxRequest {
    QWidget* owner = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    // Shows the box and returns the button chosen.
    virtual QMessageBox::StandardButton show(const TMessageBoxRequest& request) = 0;
};

// Modal QMessageBox windows. On a platform without a display (offscreen, minimal)
// nobody could answer, so the text goes to standard error and the default button
// (or the first one) is the answer.
class TWidgetMessageBoxes : public TMessageBoxes {
public:
    QMessageBox::StandardButton show(const TMessageBoxRequest& request) override;
};

// The answer of a box nobody can click: its default button, else its first one.
QMessageBox::StandardButton UnattendedAnswer(const TMessageBoxRequest& request);

// The service in use; SetMessageBoxes(nullptr) restores the widget boxes. The
// caller keeps ownership of what it installs.
TMessageBoxes& MessageBoxes();
void SetMessageBoxes(TMessageBoxes* boxes);

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The caption of boxes that name the program, and the caption the desktop gives
// a box that brings none of its own (used for error boxes).
QString ApplicationTitle();
QString DefaultBoxCaption();
