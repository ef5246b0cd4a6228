#pragma once

#include <cstdint>

// The probe methods of a host check; the "Method" settings value stores their bits
// (ICMP 1, NetBIOS 2, ARP 4, TCP connect 8), so the numeric values must not change.
// A settings file written before the TCP probe existed holds at most 7 and so keeps
// its meaning: the TCP probe stays off there.
enum class TDiscoveryMethod : uint8_t {
    ICMP = 1,
    NetBios = 2,
    ARP = 4,
    TCP = 8,
};

// A set of TDiscoveryMethod bits.
class TDiscoveryMethods {
public:
    constexpr TDiscoveryMethods() = default;
    constexpr TDiscoveryMethods(TDiscoveryMethod method) : m_bits(static_cast<uint8_t>(method)) {}
    // The settings value; bits beyond the four methods are kept as they were read.
    static constexpr TDiscoveryMethods FromBits(uint8_t bits)
    {
        TDiscoveryMethods methods;
        methods.m_bits = bits;
        return methods;
    }
    static constexpr TDiscoveryMethods All()
    {
        return TDiscoveryMethod::ICMP | TDiscoveryMethods(TDiscoveryMethod::NetBios) | TDiscoveryMethod::ARP |
               TDiscoveryMethod::TCP;
    }
    // How many of the four methods are in the set.
    constexpr int Count() const
    {
        int count = 0;
        for (uint8_t bit = 1; bit <= 8; bit = static_cast<uint8_t>(bit << 1))
            count += (m_bits & bit) != 0;
        return count;
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
    // The defaults are those of a new settings file. Every method of a check is one
    // probe in flight, so 1024 lets the four methods of all 256 addresses of a /24
    // run at once: the sweep takes about one TimeOut (bench/discovery).
    static constexpr int32_t kDefaultMaxProbes = 1024;
    static constexpr int32_t kDefaultWindow = 1500;

    int32_t TimeOut = 1000;                 // ms the probes of one address wait for an answer
    int32_t MaxThreads = kDefaultMaxProbes; // probes outstanding at once (the key's old name)
    bool ResolveAddress = false;            // reverse lookup of reachable addresses
    TDiscoveryMethods Methods = TDiscoveryMethods::All();
    // ms the multicast host discovery (WS-Discovery, DNS-SD) listens for answers; 0: off.
    int32_t DiscoveryWindow = kDefaultWindow;
    // Not stored: the search sets it when it searches FTP, so that the TCP probe
    // also knocks at port 21.
    bool ProbeFtpPort = false;

    friend bool operator==(const TDiscoveryOptions&, const TDiscoveryOptions&) = default;
};
