#pragma once

#include <QString>
#include <cstdint>
#include <iterator>

class TEngineSearchLog;

// IPv4 address ranges of the "IP Address Range" search type. An entry is either
// "first - last" (two addresses split at the first hyphen, blanks around either
// ignored) or, as a convenience, CIDR notation "address/prefix". Addresses are
// returned in network byte order; counting and comparing happen in host order.
//
// CIDR covers the same addresses as the equivalent "network - broadcast" entry and
// is validated by the same rules: the network and broadcast ends are included (a
// probe of a broadcast address simply finds nothing), a /31 gives its two
// addresses, a /32 is invalid like any range with equal ends, and a block that
// starts at 0.0.0.0 or ends at 255.255.255.255 is invalid. Host bits set in the
// address are ignored (192.168.1.77/24 is 192.168.1.0 - 192.168.1.255).

// Parses one entry and, when a log is given, writes exactly one line to it: Scope
// "IP Range of N addresses is valid (<entry>)" or Error
// "IP Range is invalid (<entry>)", the entry text inserted as written. first and
// last are set also for an invalid entry (an end that did not parse is
// 255.255.255.255). Returns whether the range is valid.
bool ParseIPRange(const QString& text, uint32_t& first, uint32_t& last, TEngineSearchLog* log = nullptr);

// The number of addresses from first to last inclusive (network byte order ends,
// first not above last in host order); 2^32 for the whole address space.
uint64_t IPRangeCount(uint32_t first, uint32_t last);

// The addresses from first to last inclusive, ascending in host order, each
// yielded in network byte order:  for (uint32_t address : IPRangeAddresses(f, l))
// An empty sequence when first is above last.
class IPRangeAddresses {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = uint32_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const uint32_t*;
        using reference = uint32_t;

        Iterator() = default;
        uint32_t operator*() const;
        Iterator& operator++()
        {
            ++m_offset;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_offset;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_offset == b.m_offset; }

    private:
        friend class IPRangeAddresses;
        Iterator(uint32_t firstHostOrder, uint64_t offset)
            : m_firstHostOrder(firstHostOrder), m_offset(offset)
        {
        }
        uint32_t m_firstHostOrder = 0;
        // 64 bits so that a range ending at the top of the address space terminates.
        uint64_t m_offset = 0;
    };

    IPRangeAddresses(uint32_t first, uint32_t last);
    Iterator begin() const { return {m_firstHostOrder, 0}; }
    Iterator end() const { return {m_firstHostOrder, m_count}; }
    uint64_t size() const { return m_count; }

private:
    uint32_t m_firstHostOrder;
    uint64_t m_count;
};
