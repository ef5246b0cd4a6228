#include "platform/HostChecker.h"

#include "engine/PumpDispatcher.h"
#include "model/DiscoveryOptions.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"
#include "model/IpAddress.h"
#include "platform/FileDescriptor.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <stop_token>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

enum Method { kIcmp, kNetBios, kArp, kLookup, kTcp, kTcpFtp, kMethodCount };

struct JournalEntry {
    Method method;
    uint32_t address;
    bool cancelled; // a cancel rather than a begin
    Clock::time_point when;
};

// Everything the fake channels saw, in order, across channels.
class Journal {
public:
    void record(Method method, uint32_t address, bool cancelled)
    {
        std::lock_guard guard(m_lock);
        m_entries.push_back({method, address, cancelled, Clock::now()});
    }
    std::vector<JournalEntry> entries() const
    {
        std::lock_guard guard(m_lock);
        return m_entries;
    }
    // The methods begun for address, in order.
    std::vector<Method> begun(uint32_t address) const
    {
        std::vector<Method> methods;
        for (const JournalEntry& entry : entries()) {
            if (entry.address == address && !entry.cancelled)
                methods.push_back(entry.method);
        }
        return methods;
    }

private:
    mutable std::mutex m_lock;
    std::vector<JournalEntry> m_entries;
};

// A probe channel driven by the test: begin() answers what decide() says; probes
// left pending are answered later from any thread with answer(), or time out.
class FakeChannel final : public ProbeChannel {
public:
    FakeChannel(Method method, Journal& journal) : m_method(method), m_journal(journal)
    {
        m_wakeup.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    }

    std::function<ProbeStatus(uint32_t)> decide = [](uint32_t) { return ProbeStatus::Pending; };

    bool isUsable = true;
    bool usable() const override { return isUsable; }
    int descriptor() const override { return m_wakeup.get(); }
    ProbeStatus begin(ProbeId id, uint32_t address) override
    {
        m_journal.record(m_method, address, false);
        const ProbeStatus status = decide(address);
        if (status == ProbeStatus::Pending) {
            std::lock_guard guard(m_lock);
            m_pending[id] = address;
        }
        return status;
    }
    void cancel(ProbeId id) override
    {
        std::lock_guard guard(m_lock);
        const auto found = m_pending.find(id);
        if (found == m_pending.end())
            return;
        m_journal.record(m_method, found->second, true);
        m_pending.erase(found);
    }
    void collect(std::vector<ProbeOutcome>& outcomes) override
    {
        uint64_t count;
        [[maybe_unused]] ssize_t drained = read(m_wakeup.get(), &count, sizeof count);
        std::lock_guard guard(m_lock);
        for (const auto& [address, answer] : m_answers) {
            for (auto it = m_pending.begin(); it != m_pending.end();) {
                if (it->second == address) {
                    outcomes.push_back(ProbeOutcome{it->first, answer.first, answer.second});
                    it = m_pending.erase(it);
                } else {
                    ++it;
                }
            }
        }
        m_answers.clear();
    }
    // Answers the pending probes of address (from any thread).
    void answer(uint32_t address, bool answered = true, const QString& name = {})
    {
        {
            std::lock_guard guard(m_lock);
            m_answers.emplace_back(address, std::make_pair(answered, name));
        }
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(m_wakeup.get(), &one, sizeof one);
    }
    size_t pendingCount()
    {
        std::lock_guard guard(m_lock);
        return m_pending.size();
    }

private:
    Method m_method;
    Journal& m_journal;
    UniqueFd m_wakeup;
    std::mutex m_lock;
    std::map<ProbeId, uint32_t> m_pending;
    std::vector<std::pair<uint32_t, std::pair<bool, QString>>> m_answers;
};

uint32_t Address(int last)
{
    return TextToIp(QStringLiteral("10.9.0.%1").arg(last));
}

class HostCheckerTest : public ::testing::Test {
protected:
    // What the next checks start with (the search's options and stop).
    TDiscoveryOptions discovery;
    std::stop_source stop;

    void SetUp() override
    {
        stop = std::stop_source();
        discovery.TimeOut = 100;
        discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP;
        discovery.ResolveAddress = false;
        HostProbeChannels channels;
        auto make = [&](Method method) {
            auto channel = std::make_unique<FakeChannel>(method, journal);
            fakes[method] = channel.get();
            return channel;
        };
        channels.icmp = make(kIcmp);
        channels.netBios = make(kNetBios);
        channels.arp = make(kArp);
        channels.lookup = make(kLookup);
        channels.tcp = make(kTcp);
        channels.tcpFtp = make(kTcpFtp);
        checker = std::make_unique<HostChecker>(dispatcher, std::move(channels), 300ms);
    }
    void TearDown() override
    {
        checker.reset();
        stop = std::stop_source();
        discovery.TimeOut = 1000;
        discovery.Methods = TDiscoveryMethods::All();
        discovery.ResolveAddress = false;
    }

    // Starts a check whose result lands in results[address]; counts deliveries.
    void start(uint32_t address)
    {
        checker->start(address, discovery, stop.get_token(), [this, address](const THostCheckResult& result) {
            EXPECT_TRUE(dispatcher.isMainThread());
            results[address] = result;
            ++deliveries[address];
        });
    }
    THostCheckResult check(uint32_t address, std::chrono::milliseconds limit = 5s)
    {
        start(address);
        EXPECT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(address) > 0; }, limit));
        return results[address];
    }

    Journal journal;
    PumpDispatcher dispatcher;
    FakeChannel* fakes[kMethodCount] = {};
    std::unique_ptr<HostChecker> checker;
    std::map<uint32_t, THostCheckResult> results;
    std::map<uint32_t, int> deliveries;
};

TEST_F(HostCheckerTest, AllMethodsStartTogetherAndTheFirstAnswerWins)
{
    discovery.TimeOut = 5000;
    fakes[kArp]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    const Clock::time_point started = Clock::now();
    const THostCheckResult result = check(Address(1));
    EXPECT_EQ(result.resultCode, 1);
    EXPECT_TRUE(result.hostName.isEmpty());
    EXPECT_LT(Clock::now() - started, 2500ms); // no method's time-out was waited for

    // ICMP and NetBIOS began first and were cancelled once ARP had answered.
    const std::vector<JournalEntry> entries = journal.entries();
    ASSERT_EQ(entries.size(), 5u);
    const Method expectedMethods[] = {kIcmp, kNetBios, kArp, kIcmp, kNetBios};
    const bool expectedCancels[] = {false, false, false, true, true};
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].method, expectedMethods[i]) << i;
        EXPECT_EQ(entries[i].cancelled, expectedCancels[i]) << i;
    }
}

TEST_F(HostCheckerTest, UnansweredMethodsShareOneTimeOut)
{
    // Three silent methods cost one time-out, not three one after another.
    discovery.TimeOut = 1000;
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check(Address(13)).resultCode, 0);
    const auto took = Clock::now() - started;
    EXPECT_GE(took, 1000ms);
    EXPECT_LT(took, 2500ms);
    const std::vector<JournalEntry> entries = journal.entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_LT(entries[2].when - entries[0].when, 500ms); // all begun at once
    for (size_t i = 3; i < entries.size(); ++i)
        EXPECT_TRUE(entries[i].cancelled) << i;
}

TEST_F(HostCheckerTest, StopsAtTheFirstMethodThatAnswers)
{
    discovery.TimeOut = 5000;
    start(Address(2));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kArp]->pendingCount() == 1; }, 5s));
    fakes[kIcmp]->answer(Address(2));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(2)) > 0; }, 5s));
    EXPECT_EQ(results[Address(2)].resultCode, 1);
    EXPECT_EQ(journal.begun(Address(2)), (std::vector<Method>{kIcmp, kNetBios, kArp}));
    EXPECT_EQ(fakes[kNetBios]->pendingCount(), 0u);
    EXPECT_EQ(fakes[kArp]->pendingCount(), 0u);
}

TEST_F(HostCheckerTest, ANegativeAnswerWaitsForTheOtherMethods)
{
    discovery.TimeOut = 5000;
    start(Address(14));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kArp]->pendingCount() == 1; }, 5s));
    fakes[kIcmp]->answer(Address(14), false);
    fakes[kArp]->answer(Address(14), false);
    dispatcher.pumpFor(100ms);
    EXPECT_EQ(deliveries.count(Address(14)), 0u); // NetBIOS may still answer
    fakes[kNetBios]->answer(Address(14), true);
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(14)) > 0; }, 5s));
    EXPECT_EQ(results[Address(14)].resultCode, 1);
}

TEST_F(HostCheckerTest, TheTcpMethodUsesTheFtpChannelWhenFtpIsSearched)
{
    discovery.Methods = TDiscoveryMethod::TCP;
    fakes[kTcp]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    EXPECT_EQ(check(Address(15)).resultCode, 1);
    EXPECT_EQ(journal.begun(Address(15)), std::vector<Method>{kTcp});

    discovery.ProbeFtpPort = true;
    fakes[kTcpFtp]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    EXPECT_EQ(check(Address(16)).resultCode, 1);
    EXPECT_EQ(journal.begun(Address(16)), std::vector<Method>{kTcpFtp});
}

TEST_F(HostCheckerTest, WithoutIcmpTheOtherMethodsStillMakeTheCheckerAvailable)
{
    EXPECT_TRUE(checker->icmpAvailable());
    fakes[kIcmp]->isUsable = false;
    EXPECT_FALSE(checker->icmpAvailable());
    EXPECT_TRUE(checker->available());
    for (Method method : {kNetBios, kArp, kTcp, kTcpFtp})
        fakes[method]->isUsable = false;
    EXPECT_FALSE(checker->available()); // the name lookup alone probes nothing
}

TEST_F(HostCheckerTest, FailedProbesMoveOnAtOnceAndAllFailingGivesZero)
{
    discovery.TimeOut = 60000;
    for (FakeChannel* fake : {fakes[kIcmp], fakes[kNetBios], fakes[kArp]})
        fake->decide = [](uint32_t) { return ProbeStatus::Failed; };
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check(Address(3)).resultCode, 0);
    EXPECT_LT(Clock::now() - started, 30s); // no time-out was waited for
    EXPECT_EQ(journal.begun(Address(3)), (std::vector<Method>{kIcmp, kNetBios, kArp}));
}

TEST_F(HostCheckerTest, OnlyEnabledMethodsRunAndMethodZeroProbesNothing)
{
    discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::ARP;
    EXPECT_EQ(check(Address(4)).resultCode, 0);
    EXPECT_EQ(journal.begun(Address(4)), (std::vector<Method>{kIcmp, kArp}));

    discovery.Methods = TDiscoveryMethod::NetBios;
    fakes[kNetBios]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    EXPECT_EQ(check(Address(5)).resultCode, 1);
    EXPECT_EQ(journal.begun(Address(5)), std::vector<Method>{kNetBios});

    discovery.Methods = {};
    for (FakeChannel* fake : fakes)
        fake->decide = [](uint32_t) { return ProbeStatus::Answered; };
    EXPECT_EQ(check(Address(6)).resultCode, 0);
    EXPECT_TRUE(journal.begun(Address(6)).empty());
}

TEST_F(HostCheckerTest, EachCheckKeepsTheOptionsItWasStartedWith)
{
    // A check started with ResolveAddress looks the name up, whatever later checks use.
    discovery.TimeOut = 5000;
    discovery.ResolveAddress = true;
    start(Address(7));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kIcmp]->pendingCount() == 1; }, 5s));
    discovery.ResolveAddress = false;
    fakes[kIcmp]->answer(Address(7));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kLookup]->pendingCount() == 1; }, 5s));
    fakes[kLookup]->answer(Address(7), true, QStringLiteral("fileserver.lan"));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(7)) > 0; }, 5s));
    EXPECT_EQ(results[Address(7)].resultCode, 1);
    EXPECT_EQ(results[Address(7)].hostName, "fileserver.lan");

    // Its TimeOut bounds every method of the check: raised for later checks, the
    // check started with 50 ms still gives up on NetBIOS after 50 ms.
    discovery.ResolveAddress = false;
    discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios;
    discovery.TimeOut = 50;
    start(Address(8));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kIcmp]->pendingCount() == 1; }, 5s));
    discovery.TimeOut = 60000;
    fakes[kIcmp]->answer(Address(8), false);
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(8)) > 0; }, 3s));
    EXPECT_EQ(results[Address(8)].resultCode, 0);
}

TEST_F(HostCheckerTest, LookupWithoutNameOrPastItsDeadlineKeepsTheHostReachable)
{
    discovery.ResolveAddress = true;
    fakes[kIcmp]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    start(Address(9));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kLookup]->pendingCount() == 1; }, 5s));
    fakes[kLookup]->answer(Address(9), false);
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(9)) > 0; }, 5s));
    EXPECT_EQ(results[Address(9)].resultCode, 1);
    EXPECT_TRUE(results[Address(9)].hostName.isEmpty());

    // A resolver that never answers: the 300 ms deadline of this checker ends the wait.
    EXPECT_EQ(check(Address(10)).resultCode, 1);
    EXPECT_TRUE(results[Address(10)].hostName.isEmpty());
    EXPECT_EQ(fakes[kLookup]->pendingCount(), 0u); // the abandoned lookup was cancelled
}

TEST_F(HostCheckerTest, AProbeThatRaisesGivesResultTwoAndSparesOtherChecks)
{
    discovery.Methods = TDiscoveryMethod::NetBios;
    fakes[kNetBios]->decide = [](uint32_t address) -> ProbeStatus {
        if (address == Address(11))
            throw EKestrovaError(QStringLiteral("socket gone"));
        return ProbeStatus::Answered;
    };
    start(Address(11));
    start(Address(12));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.size() == 2; }, 5s));
    EXPECT_EQ(results[Address(11)].resultCode, 2);
    EXPECT_EQ(results[Address(12)].resultCode, 1);
}

int ThreadCount()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

TEST_F(HostCheckerTest, ThousandOutstandingChecksNeedNoThreadsAndEachEndsOnce)
{
    discovery.TimeOut = 10000;
    discovery.Methods = TDiscoveryMethod::ICMP;
    const int threadsBefore = ThreadCount();
    for (int i = 0; i < 1000; ++i)
        start(SwapByteOrder32(SwapByteOrder32(Address(0)) + static_cast<uint32_t>(i)));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kIcmp]->pendingCount() == 1000; }, 10s));
    EXPECT_EQ(checker->outstanding(), 1000);
    EXPECT_LE(ThreadCount(), threadsBefore + 1);
    // Every other address answers; the rest are refused.
    for (int i = 0; i < 1000; ++i)
        fakes[kIcmp]->answer(SwapByteOrder32(SwapByteOrder32(Address(0)) + static_cast<uint32_t>(i)),
                             i % 2 == 0);
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.size() == 1000; }, 10s));
    dispatcher.pumpFor(50ms);
    int reachable = 0;
    for (const auto& [address, count] : deliveries) {
        EXPECT_EQ(count, 1);
        reachable += results[address].resultCode == 1;
    }
    EXPECT_EQ(reachable, 500);
    EXPECT_EQ(checker->outstanding(), 0);
}

TEST_F(HostCheckerTest, StopEndsEveryOutstandingCheckPromptlyAndExactlyOnce)
{
    discovery.TimeOut = 60000;
    discovery.ResolveAddress = true;
    fakes[kIcmp]->decide = [](uint32_t address) {
        return address == Address(1) ? ProbeStatus::Answered : ProbeStatus::Pending;
    };
    for (int i = 1; i <= 200; ++i)
        start(Address(i));
    // Address(1) is reachable and waits for its name; the others wait for ICMP.
    ASSERT_TRUE(dispatcher.pumpUntil(
        [&] { return fakes[kIcmp]->pendingCount() == 199 && fakes[kLookup]->pendingCount() == 1; }, 5s));
    const Clock::time_point stopped = Clock::now();
    stop.request_stop();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.size() == 200; }, 5s));
    EXPECT_LT(Clock::now() - stopped, 10s); // the time-outs were a minute
    EXPECT_EQ(results[Address(1)].resultCode, 1);
    EXPECT_EQ(results[Address(2)].resultCode, 0);
    EXPECT_EQ(fakes[kIcmp]->pendingCount(), 0u);
    EXPECT_EQ(fakes[kLookup]->pendingCount(), 0u);

    // Started while stop is set: ends at once, nothing probed.
    const size_t entriesBefore = journal.entries().size();
    start(Address(201));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(Address(201)) > 0; }, 5s));
    EXPECT_EQ(results[Address(201)].resultCode, 0);
    EXPECT_EQ(journal.entries().size(), entriesBefore + 0);

    dispatcher.pumpFor(100ms);
    for (const auto& [address, count] : deliveries)
        EXPECT_EQ(count, 1) << IpToText(address).toStdString();

    // The next search clears the flag and checks run again.
    stop = std::stop_source();
    fakes[kIcmp]->decide = [](uint32_t) { return ProbeStatus::Answered; };
    discovery.ResolveAddress = false;
    EXPECT_EQ(check(Address(202)).resultCode, 1);
}

TEST_F(HostCheckerTest, DestroyingTheCheckerEndsOutstandingChecksOnce)
{
    discovery.TimeOut = 60000;
    for (int i = 1; i <= 20; ++i)
        start(Address(i));
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return fakes[kIcmp]->pendingCount() == 20; }, 5s));
    checker.reset();
    dispatcher.pumpFor(50ms);
    ASSERT_EQ(deliveries.size(), 20u);
    for (const auto& [address, count] : deliveries) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(results[address].resultCode, 0);
    }
}

} // namespace
