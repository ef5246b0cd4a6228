// The FTP LIST reply parser. The first byte chooses the server's system (as its
// SYST reply named it); the rest is the listing.
#include "FuzzInput.h"
#include "platform/FtpListParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    constexpr int kSystems = static_cast<int>(FtpSystem::Unix) + 1;
    const auto system = static_cast<FtpSystem>(data[0] % kSystems);
    const QByteArray listing = FuzzBytes(data + 1, size - 1);
    DateTimeParts now;
    now.year = 2026;
    now.month = 3;
    now.day = 1;
    now.hour = 12;
    const FtpListing parsed = ParseFtpListing(listing, now, system);
    for (const FtpRawEntry& entry : parsed.entries)
        (void)ToFtpListEntry(entry);
    (void)FtpLineLogText(parsed.firstUnreadableLine);
    (void)FtpSystemFromSystReply(listing.left(256));
    return 0;
}
