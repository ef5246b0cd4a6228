#pragma once

#include "model/ItemRecord.h"

// Sorting the result list by a column of the results view. The sort state is an
// integer tag: 0 unsorted, +n ascending by column n - 1, -n descending by column n - 1
// (columns: 0 file name, 1 location, 2 size, 3 date & time, 4 attributes).

// The tag after a click on a header: the same column again flips the direction,
// another column starts ascending.
int NextSortTag(int currentTag, int clickedColumn);

// Compares two records for a tag: names and locations by the user's locale collation
// without regard to case (the first column compares full paths when the display
// format is 0), sizes as numbers with folders as -1, times equal when less than a
// millisecond apart, attributes as text. Other columns compare equal. <0, 0 or >0.
int CompareItems(const TItemRecord& a, const TItemRecord& b, int tag, int fileNameDisplayFormat);

// Sorts the list in place by the tag. Rows that compare equal keep their order.
void SortItems(TItemList& items, int tag, int fileNameDisplayFormat);
