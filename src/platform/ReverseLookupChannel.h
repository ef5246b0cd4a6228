#pragma once

#include "platform/ProbeChannel.h"

#include <memory>

// Reverse name lookup (getnameinfo with NI_NAMEREQD) of reachable addresses.
// getnameinfo blocks and cannot be interrupted (10 s against a silent DNS server),
// so lookups run on a few helper threads and the loop only collects their answers;
// the loop's deadline decides how long a check waits. Helper threads hold the
// shared state, so a lookup still blocked when the channel goes ends on its own
// and its answer is dropped.
class ReverseLookupChannel final : public ProbeChannel {
public:
    static constexpr int kDefaultHelperThreads = 8;

    explicit ReverseLookupChannel(int helperThreads = kDefaultHelperThreads);
    ~ReverseLookupChannel() override;

    bool usable() const override;
    int descriptor() const override;
    ProbeStatus begin(ProbeId id, uint32_t address) override;
    void cancel(ProbeId id) override;
    void collect(std::vector<ProbeOutcome>& outcomes) override;

    // The official name of address (network byte order), empty when there is none.
    // Blocks as long as the resolver does.
    static QString LookupName(uint32_t address);

    struct State;

private:
    std::shared_ptr<State> m_state;
};
