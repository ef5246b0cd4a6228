#pragma once

#include <QString>

class QWidget;

// The open and save dialogs of the commands. Filters are written "Caption (*.ext)|*.ext|..."
// as the commands name them. Tests install their own TFileDialogs to answer them.
class TFileDialogs {
public:
    virtual ~TFileDialogs() = default;
    // The chosen existing file, or empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The chosen file name (defaultSuffix added when the name has none), or empty when
    // cancelled; selectedFilter receives the 1-based index of the chosen filter entry.
    // An existing file is replaced only after the user confirmed it.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix, int* selectedFilter = nullptr) = 0;
    // As saveFileName, with a check box of this caption below the file list; checked
    // gives its state at the start and receives it on OK. Dialogs without one (the
    // tests') leave it unchanged.
    virtual QString saveFileNameWithOption(QWidget* parent, const QString& title, const QString& filter,
                                           const QString& defaultSuffix, int* selectedFilter,
                                           const QString& optionCaption, bool* checked)
    {
        Q_UNUSED(optionCaption);
        Q_UNUSED(checked);
        return saveFileName(parent, title, filter, defaultSuffix, selectedFilter);
    }
};

TFileDialogs& FileDialogs();
// nullptr restores the standard dialogs; the caller keeps ownership.
void SetFileDialogs(TFileDialogs* dialogs);

// "HTML files (*.htm)|*.htm|XML files (*.xml)|*.xml" -> the captions of the entries.
QStringList FilterCaptions(const QString& filter);
// The suffix (without dot) the entry with this caption names by a single "*.ext"
// pattern, or empty.
QString FilterSuffix(const QString& filter, const QString& caption);
