#include "platform/LocalFileMapping.h"

#include <array>
#include <atomic>
#include <csignal>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// One live mapping's address range and whether a read of it faulted. The handler
// only reads and sets the atomics, which is safe in a signal handler because they
// are lock-free.
struct GuardSlot {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> faulted{false};
};
static_assert(std::atomic<uintptr_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

std::array<GuardSlot, LocalFileMapping::kMaxMappings> g_slots;
struct sigaction g_previousAction {};
uintptr_t g_pageSize = 4096;

void PassOn(int signal, siginfo_t* info, void* context)
{
    if (g_previousAction.sa_flags & SA_SIGINFO) {
        g_previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previousAction.sa_handler == SIG_DFL || g_previousAction.sa_handler == SIG_IGN) {
        // Returning re-runs the faulting instruction, which now ends the process
        // the way it would have ended without this handler.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(signal, &fallback, nullptr);
        return;
    }
    g_previousAction.sa_handler(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (GuardSlot& slot : g_slots) {
        const uintptr_t end = slot.end.load(std::memory_order_acquire);
        if (end == 0 || address < slot.begin.load(std::memory_order_acquire) || address >= end)
            continue;
        // A private page of zeros replaces the missing one, so the read completes.
        void* const page = static_cast<char*>(info->si_addr) - (address & (g_pageSize - 1));
        if (mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
            break;
        slot.faulted.store(true, std::memory_order_release);
        return;
    }
    PassOn(signal, info, context);
}

bool InstallHandler()
{
    g_pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &g_previousAction) == 0;
}

bool HandlerInstalled()
{
    static const bool installed = InstallHandler();
    return installed;
}

// The index of a newly claimed slot, or kMaxMappings when all are taken.
size_t ClaimSlot(uintptr_t begin, uintptr_t end)
{
    for (size_t i = 0; i < g_slots.size(); ++i) {
        GuardSlot& slot = g_slots[i];
        // A slot is taken by its `begin`; `end`, written last, publishes the range
        // to the handler.
        uintptr_t free = 0;
        if (slot.begin.compare_exchange_strong(free, begin, std::memory_order_acq_rel)) {
            slot.faulted.store(false, std::memory_order_relaxed);
            slot.end.store(end, std::memory_order_release);
            return i;
        }
    }
    return g_slots.size();
}

} // namespace

std::unique_ptr<LocalFileMapping> LocalFileMapping::create(int descriptor, int64_t size)
{
    if (size <= 0 || static_cast<uint64_t>(size) > SIZE_MAX || !HandlerInstalled())
        return nullptr;
    const auto length = static_cast<size_t>(size);
    void* const mapped = mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<uintptr_t>(mapped);
    const size_t mappedLength = (length + g_pageSize - 1) & ~(g_pageSize - 1);
    const size_t slot = ClaimSlot(begin, begin + mappedLength);
    if (slot == g_slots.size()) {
        munmap(mapped, length);
        return nullptr;
    }
    madvise(mapped, length, MADV_SEQUENTIAL);
    return std::unique_ptr<LocalFileMapping>(
        new LocalFileMapping(static_cast<const char*>(mapped), size, mappedLength, slot));
}

LocalFileMapping::LocalFileMapping(const char* data, int64_t size, size_t mappedLength, size_t slot)
    : m_data(data), m_size(size), m_mappedLength(mappedLength), m_slot(slot)
{
}

LocalFileMapping::~LocalFileMapping()
{
    // Unmapped before the slot is freed: a fault of this range can no longer happen
    // once the slot is reused for another.
    munmap(const_cast<char*>(m_data), m_mappedLength);
    GuardSlot& slot = g_slots[m_slot];
    slot.end.store(0, std::memory_order_release);
    slot.begin.store(0, std::memory_order_release);
}

bool LocalFileMapping::intact() const
{
    return !g_slots[m_slot].faulted.load(std::memory_order_acquire);
}
