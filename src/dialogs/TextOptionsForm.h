#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;
class TRadioGroup;
struct TSettings;

// "Text Search Options": how the words of the content box combine ("AND", "OR",
// "NOT" -> Logic All, Any, None) and the encoding file contents are searched in
// ("ANSI", "Unicode", "Utf-8" -> Encoding Ansi, Utf16Le, Utf8). An Unknown value
// selects no item, and OK without a choice then stores Unknown. Below them, "Search
// inside documents" (SearchInsideDocuments) with its two limits, the largest
// document to extract in MB (DocumentSizeLimit) and the seconds per document
// (DocumentTimeLimit); the limits are editable only while the box is checked.
//
// Entry point for the main window's "Text Search Options" command:
// TTextOptionsForm::Execute(this, settings) edits the program's settings; the values
// take effect at the next search start.
class TTextOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TTextOptionsForm(QWidget* parent = nullptr);

    // Fills the dialog from settings, shows it and, on OK only, writes Logic,
    // Encoding and the document options back. Returns whether OK was pressed.
    static bool Execute(QWidget* parent, TSettings& settings);

    TRadioGroup* keywords() const { return m_keywords; }
    TRadioGroup* encoding() const { return m_encoding; }
    QCheckBox* insideDocuments() const { return m_insideDocuments; }
    QSpinBox* documentSizeLimit() const { return m_documentSizeLimit; }
    QSpinBox* documentTimeLimit() const { return m_documentTimeLimit; }

private:
    TRadioGroup* m_keywords;
    TRadioGroup* m_encoding;
    QCheckBox* m_insideDocuments;
    QSpinBox* m_documentSizeLimit;
    QSpinBox* m_documentTimeLimit;
};
