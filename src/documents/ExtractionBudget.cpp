#include "documents/ExtractionBudget.h"

TExtractionBudget::TExtractionBudget(std::stop_token stop, TClock::duration timeLimit)
    : m_stop(std::move(stop)), m_deadline(TClock::now() + timeLimit), m_timeLimit(timeLimit)
{
}

// Exact text: the reasons an extraction was cut short, which end the document log
// line; the document and verdict tests compare them.
QString TExtractionBudget::interruption() const
{
    if (m_stop.stop_requested())
        return QStringLiteral("the search was stopped");
    if (m_unpacked > MaxUnpackedBytes)
        return QStringLiteral("it unpacks to more than %1 MB").arg(MaxUnpackedBytes >> 20);
    if (TClock::now() >= m_deadline) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_timeLimit).count() / 1000.0;
        return QStringLiteral("its text took longer than %1 s to extract").arg(seconds);
    }
    return {};
}

bool TExtractionBudget::spendUnpacked(int64_t bytes)
{
    m_unpacked += bytes;
    return m_unpacked <= MaxUnpackedBytes;
}
