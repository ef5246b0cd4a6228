#include "app/ResultSorting.h"

#include <QCollator>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

// Less than one millisecond, in days.
constexpr double kMillisecond = 1.0 / 86400000.0;

enum class Column { FileName = 1, Location = 2, Size = 3, DateTime = 4, Attributes = 5 };

QCollator TextCollator()
{
    QCollator collator; // the user's locale
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool ComparesText(int column)
{
    return column == int(Column::FileName) || column == int(Column::Location) ||
           column == int(Column::Attributes);
}

QString ColumnText(const TItemRecord& item, int column, int fileNameDisplayFormat)
{
    switch (Column(column)) {
    case Column::FileName:
        return fileNameDisplayFormat == 1 || fileNameDisplayFormat == 2 ? ItemName(item) : item.FileName;
    case Column::Location:
        return ItemLocation(item);
    case Column::Attributes:
        return ItemAttributesText(item);
    default:
        return {};
    }
}

int64_t SortSize(const TItemRecord& item)
{
    return IsFolderItem(item) ? -1 : item.Size;
}

int CompareNumbers(const TItemRecord& a, const TItemRecord& b, int column)
{
    if (column == int(Column::Size)) {
        const int64_t left = SortSize(a), right = SortSize(b);
        return left < right ? -1 : (left > right ? 1 : 0);
    }
    if (column == int(Column::DateTime)) {
        const double difference = a.DateTime - b.DateTime;
        if (std::abs(difference) < kMillisecond)
            return 0;
        return difference < 0 ? -1 : 1;
    }
    return 0;
}

int Direction(int tag)
{
    return tag < 0 ? -1 : 1;
}

} // namespace

int NextSortTag(int currentTag, int clickedColumn)
{
    const int ascending = clickedColumn + 1;
    return currentTag == ascending ? -ascending : ascending;
}

int CompareItems(const TItemRecord& a, const TItemRecord& b, int tag, int fileNameDisplayFormat)
{
    const int column = std::abs(tag);
    int result;
    if (ComparesText(column)) {
        result = TextCollator().compare(ColumnText(a, column, fileNameDisplayFormat),
                                        ColumnText(b, column, fileNameDisplayFormat));
    } else {
        result = CompareNumbers(a, b, column);
    }
    return Direction(tag) * (result < 0 ? -1 : (result > 0 ? 1 : 0));
}

void SortItems(TItemList& items, int tag, int fileNameDisplayFormat)
{
    const int column = std::abs(tag);
    const int direction = Direction(tag);
    std::vector<qsizetype> order(static_cast<size_t>(items.size()));
    std::iota(order.begin(), order.end(), 0);

    // A merge sort: it stays within bounds even for the date rule, whose "equal within
    // a millisecond" is not transitive; and it keeps equal rows in their order.
    if (ComparesText(column)) {
        // One collation key per row instead of a collation per comparison.
        const QCollator collator = TextCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(order.size());
        for (const TItemRecord& item : items)
            keys.push_back(collator.sortKey(ColumnText(item, column, fileNameDisplayFormat)));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype left, qsizetype right) {
            return direction * keys[size_t(left)].compare(keys[size_t(right)]) < 0;
        });
    } else if (column == int(Column::Size) || column == int(Column::DateTime)) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype left, qsizetype right) {
            return direction * CompareNumbers(items[left], items[right], column) < 0;
        });
    } else {
        return; // other columns compare equal: nothing moves
    }

    TItemList sorted;
    sorted.reserve(items.size());
    for (qsizetype index : order)
        sorted.append(std::move(items[index]));
    items = std::move(sorted);
}
