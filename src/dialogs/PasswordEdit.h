#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// A line edit that shows every character of its text as "●".
QLineEdit* CreatePasswordEdit(const QString& objectName, QWidget* parent);

// What a password looks like in a list: one "●" per character, so only its length
// shows.
QString MaskedPassword(const QString& password);
