#pragma once

#include <QString>
#include <cstdint>
#include <cstring>

// Reads little-endian values from a byte range, checking every read against its end.
// A read past the end raises EKestrovaError naming what was being read, so damaged
// data gives a message instead of a crash.
class TByteReader {
public:
    TByteReader(const char* data, size_t size) : m_data(data), m_size(size) {}

    size_t position() const { return m_position; }
    size_t remaining() const { return m_size - m_position; }

    uint8_t u8(const char* what) { return static_cast<uint8_t>(*take(1, what)); }
    uint16_t u16(const char* what);
    uint32_t u32(const char* what);
    int16_t s16(const char* what) { return static_cast<int16_t>(u16(what)); }
    int32_t s32(const char* what) { return static_cast<int32_t>(u32(what)); }

    // The next 'count' bytes; raises when fewer remain.
    const char* take(size_t count, const char* what);
    void skip(size_t count, const char* what) { take(count, what); }

private:
    const char* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// Little-endian values at a position of a buffer the caller has checked.
inline uint16_t LoadLE16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t LoadLE32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline uint64_t LoadLE64(const char* p)
{
    return static_cast<uint64_t>(LoadLE32(p)) | (static_cast<uint64_t>(LoadLE32(p + 4)) << 32);
}
inline void StoreLE16(char* p, uint16_t v)
{
    p[0] = static_cast<char>(v);
    p[1] = static_cast<char>(v >> 8);
}
inline void StoreLE32(char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>(v >> (8 * i));
}
inline void StoreLE64(char* p, uint64_t v)
{
    StoreLE32(p, static_cast<uint32_t>(v));
    StoreLE32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline double LoadLEDouble(const char* p)
{
    const uint64_t bits = LoadLE64(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline void StoreLEDouble(char* p, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLE64(p, bits);
}
