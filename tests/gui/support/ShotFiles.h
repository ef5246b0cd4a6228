#pragma once

#include <QString>

class QWidget;

// Writes a picture of the widget to $KESTROVA_SHOTS/<name>.png when that variable is set
// (screenshots of states that only a test reaches); does nothing otherwise.
void SaveShotIfAsked(QWidget* widget, const QString& name);
