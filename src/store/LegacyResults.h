#pragma once

#include "model/ItemRecord.h"

class TCompoundStreamReader;

// The older form of results files: the stream "mainlist" of fixed 560-byte records
// with the name in the ANSI code page.
constexpr size_t kLegacyRecordSize = 560;

// One record: the name up to its first zero byte within 521 bytes, then Attrs at
// 524, Size at 528, a date at 536 and a time at 544 (doubles), ImageIndex at 552.
TItemRecord DecodeLegacyRecord(const char* record);

// The date's whole days with the time's fraction in their place, the fraction
// subtracted for dates before 1899-12-30 (where a day's time counts backwards).
double CombineLegacyDateTime(double date, double time);

// Appends every whole record of the stream to the list; a shorter rest is ignored.
void ReadLegacyRecords(TCompoundStreamReader& stream, TItemList& list);
