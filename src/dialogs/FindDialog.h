#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The modeless "Find" window of the results view: a text field and Find Next, no
// match-case, whole-word or direction choices.
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

Q_SIGNALS:
    void findNext(const QString& text);

private:
    QLineEdit* m_text;
    QPushButton* m_findNext;
};
