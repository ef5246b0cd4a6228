#pragma once

#include <QString>
#include <cstdint>

class QWidget;

// A range larger than this many addresses is searched only after the user said so:
// a sweep sends a probe to every address, and a /8 takes hours.
constexpr uint64_t kLargeIPRange = 65536;

// What a range entry amounts to as it stands (the search's own rules, ParseIPRange):
// valid with its number of addresses, or not; text says which ("256 addresses",
// "Not a valid range: ...").
struct TIPRangeCheck {
    bool Valid = false;
    uint64_t Count = 0;
    QString Text;
};
TIPRangeCheck CheckIPRangeEntry(const QString& entry);

// True unless the range is larger than kLargeIPRange and the user declines.
bool ConfirmLargeIPRange(QWidget* owner, const TIPRangeCheck& check);
