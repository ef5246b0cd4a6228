#pragma once

#include <QWidget>

class QLabel;

// A small frameless window with a thin frame, the program's icon at the left and a
// centred text, shown while the program waits for the network. It is application
// modal: while it shows, the program's other windows take no input.
class TWaitWindow : public QWidget {
    Q_OBJECT
public:
    explicit TWaitWindow(QWidget* mainWindow = nullptr);

    // Sets the text and lets pending window events run once, so it is painted now.
    void setText(const QString& text);
    QString text() const;

private:
    QLabel* m_text = nullptr;
};
