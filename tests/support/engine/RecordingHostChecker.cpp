#include "support/engine/RecordingHostChecker.h"

#include "model/IpAddress.h"

void RecordingHostChecker::start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
                                 std::function<void(const THostCheckResult&)> onTerminated)
{
    const QString dotted = IpToText(address);
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        index = static_cast<int>(m_starts.size());
        m_starts.push_back({dotted, stop.stop_requested()});
    }
    if (beforeStart)
        beforeStart(index);
    m_inner.start(address, options, stop,
                  [this, dotted, onTerminated = std::move(onTerminated)](const THostCheckResult& result) {
                      {
                          std::lock_guard lock(m_mutex);
                          m_results[dotted] = result.resultCode;
                      }
                      onTerminated(result);
                  });
}

std::vector<RecordingHostChecker::Start> RecordingHostChecker::starts() const
{
    std::lock_guard lock(m_mutex);
    return m_starts;
}

std::map<QString, int> RecordingHostChecker::results() const
{
    std::lock_guard lock(m_mutex);
    return m_results;
}
