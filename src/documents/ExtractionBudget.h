#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <stop_token>

// What one extraction may spend: it ends with a reason when the search stops, when
// its time is up, when the unpacked bytes or zip entries of a package exceed their
// bounds (zip bombs) or when the text grows past its bound. The readers call
// interruption() between pages, XML chunks and zip reads, so a stop request ends an
// extraction within one such step.
class TExtractionBudget {
public:
    using TClock = std::chrono::steady_clock;

    static constexpr int64_t kDefaultMaxUnpackedBytes = int64_t{256} << 20;
    static constexpr int kDefaultMaxZipEntries = 20000;
    static constexpr int64_t kDefaultMaxTextChars = int64_t{32} << 20;

    TExtractionBudget(std::stop_token stop, TClock::duration timeLimit);

    // Empty while the extraction may go on; otherwise why it must end.
    QString interruption() const;
    bool stopRequested() const { return m_stop.stop_requested(); }

    // Counts unpacked bytes; false (and interruption() says so) once over the bound.
    bool spendUnpacked(int64_t bytes);

    int64_t MaxUnpackedBytes = kDefaultMaxUnpackedBytes;
    int MaxZipEntries = kDefaultMaxZipEntries;
    int64_t MaxTextChars = kDefaultMaxTextChars;

private:
    std::stop_token m_stop;
    TClock::time_point m_deadline;
    TClock::duration m_timeLimit;
    int64_t m_unpacked = 0;
};
