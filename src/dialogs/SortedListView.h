#pragma once

#include <QStringList>
#include <QTreeWidget>

// A one-column report list of texts kept in alphabetical order (case-insensitive,
// ties broken by exact comparison, so the order never depends on insertion), with
// whole-row single selection and the program icon in front of every entry. Used for
// the scope list and the folder list of the Options dialog.
class TSortedListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TSortedListView(const QString& caption, QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const;

    // The entries in list order.
    QStringList entries() const;
    void setEntries(const QStringList& entries);
    void addEntry(const QString& text);
    void replaceEntry(int index, const QString& text);
    void removeEntries(const QList<int>& indexes);

    // Rows of the selected entries, ascending.
    QList<int> selectedRows() const;
    // The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);

    // The order of the list: true when a sorts before b.
    static bool lessThan(const QString& a, const QString& b);

private:
    void addItem(const QString& text);
    void resort();
};
