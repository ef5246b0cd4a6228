#pragma once

#include <QDialog>

class TRadioGroup;
struct TSettings;

// "Text Search Options": how the words of the content box combine ("AND", "OR",
// "NOT" -> Logic All, Any, None) and the encoding file contents are searched in
// ("ANSI", "Unicode", "Utf-8" -> Encoding Ansi, Utf16Le, Utf8). An Unknown value
// selects no item, and OK without a choice then stores Unknown.
//
// Entry point for the main window's "Text Search Options" command:
// TTextOptionsForm::Execute(this, settings) edits the program's settings; the values
// take effect at the next search start.
class TTextOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TTextOptionsForm(QWidget* parent = nullptr);

    // Fills the dialog from settings, shows it and, on OK only, writes Logic and
    // Encoding back. Returns whether OK was pressed.
    static bool Execute(QWidget* parent, TSettings& settings);

    TRadioGroup* keywords() const { return m_keywords; }
    TRadioGroup* encoding() const { return m_encoding; }

private:
    TRadioGroup* m_keywords;
    TRadioGroup* m_encoding;
};
