#pragma once

#include <QString>
#include <cstdint>

// IPv4 addresses travel as 32-bit values in network byte order; they are swapped
// to host order only for counting and comparing.
constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;

// Dotted decimal text of an address in network byte order.
QString IpToText(uint32_t addressNetworkOrder);
// inet_addr rules (dotted decimal, the shortened, octal and hexadecimal forms);
// kInaddrNone for text that is not an address.
uint32_t TextToIp(const QString& text);
constexpr uint32_t SwapByteOrder32(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}
