#pragma once

#include <cstdint>

// The probe methods of a host check; the "Method" settings value stores their bits
// (ICMP 1, NetBIOS 2, ARP 4), so the numeric values must not change.
enum class TDiscoveryMethod : uint8_t {
    ICMP = 1,
    NetBios = 2,
    ARP = 4,
};

// A set of TDiscoveryMethod bits.
class TDiscoveryMethods {
public:
    constexpr TDiscoveryMethods() = default;
    constexpr TDiscoveryMethods(TDiscoveryMethod method) : m_bits(static_cast<uint8_t>(method)) {}
    // The settings value; bits beyond the three methods are kept as they were read.
    static constexpr TDiscoveryMethods FromBits(uint8_t bits)
    {
        TDiscoveryMethods methods;
        methods.m_bits = bits;
        return methods;
    }
    static constexpr TDiscoveryMethods All()
    {
        return TDiscoveryMethod::ICMP | TDiscoveryMethods(TDiscoveryMethod::NetBios) | TDiscoveryMethod::ARP;
    }

    constexpr uint8_t Bits() const { return m_bits; }
    constexpr bool Contains(TDiscoveryMethod method) const
    {
        return (m_bits & static_cast<uint8_t>(method)) != 0;
    }
    constexpr bool Empty() const { return m_bits == 0; }

    friend constexpr TDiscoveryMethods operator|(TDiscoveryMethods a, TDiscoveryMethods b)
    {
        return FromBits(static_cast<uint8_t>(a.m_bits | b.m_bits));
    }
    constexpr TDiscoveryMethods& operator|=(TDiscoveryMethods other)
    {
        m_bits = static_cast<uint8_t>(m_bits | other.m_bits);
        return *this;
    }
    friend constexpr bool operator==(TDiscoveryMethods, TDiscoveryMethods) = default;

private:
    uint8_t m_bits = 0;
};

constexpr TDiscoveryMethods operator|(TDiscoveryMethod a, TDiscoveryMethod b)
{
    return TDiscoveryMethods(a) | TDiscoveryMethods(b);
}

// The IP discovery values one search works with, copied from the program's settings
// when the search starts, so that a search never sees another's (or a later) change.
struct TDiscoveryOptions {
    int32_t TimeOut = 1000;      // ms per probe method
    int32_t MaxThreads = 10;     // checks running at once
    bool ResolveAddress = false; // reverse lookup of reachable addresses
    TDiscoveryMethods Methods = TDiscoveryMethods::All();

    friend bool operator==(const TDiscoveryOptions&, const TDiscoveryOptions&) = default;
};
