#include "store/LegacyResults.h"

#include "model/AnsiCodec.h"
#include "store/ByteReader.h"
#include "store/CompoundFile.h"

#include <cmath>
#include <cstring>

namespace {

constexpr size_t kNameField = 521;

} // namespace

double CombineLegacyDateTime(double date, double time)
{
    const double days = std::trunc(date);
    const double fraction = std::fabs(time - std::trunc(time));
    return date >= 0 ? days + fraction : days - fraction;
}

TItemRecord DecodeLegacyRecord(const char* record)
{
    const void* end = std::memchr(record, 0, kNameField);
    const auto nameLength = end ? static_cast<const char*>(end) - record : static_cast<qsizetype>(kNameField);
    TItemRecord item;
    item.FileName = FromAnsi(record, nameLength);
    item.Attrs = static_cast<int32_t>(LoadLE32(record + 524));
    item.Size = static_cast<int64_t>(LoadLE64(record + 528));
    item.DateTime = CombineLegacyDateTime(LoadLEDouble(record + 536), LoadLEDouble(record + 544));
    item.ImageIndex = static_cast<int32_t>(LoadLE32(record + 552));
    return item;
}

void ReadLegacyRecords(TCompoundStreamReader& stream, TItemList& list)
{
    char record[kLegacyRecordSize];
    const uint64_t count = stream.size() / kLegacyRecordSize;
    for (uint64_t i = 0; i < count; ++i) {
        stream.read(record, sizeof record);
        list.append(DecodeLegacyRecord(record));
    }
}
