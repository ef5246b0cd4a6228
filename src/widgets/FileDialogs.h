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
};

TFileDialogs& FileDialogs();
// nullptr restores the standard dialogs; the caller keeps ownership.
void SetFileDialogs(TFileDialogs* dialogs);

// "HTML files (*.htm)|*.htm|XML files (*.xml)|*.xml" -> the captions of the entries.
QStringList FilterCaptions(const QString& filter);
// The suffix (without dot) the entry with this caption names by a single "*.ext"
// pattern, or empty.
QString FilterSuffix(const QString& filter, const QString& caption);
