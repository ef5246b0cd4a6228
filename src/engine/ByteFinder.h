#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// One byte pattern prepared for many searches (every chunk of every file). The
// search compares two of the pattern's rarest bytes at 32 positions at once and
// checks the whole pattern only where both agree; when that filter lets through too
// many candidates (repetitive data such as "aaaa...ab"), the rest of the buffer is
// searched with memmem, whose two-way algorithm stays linear.
//
// Stateless after construction: one finder may be used from several threads.
class ByteFinder {
public:
    explicit ByteFinder(QByteArray pattern);

    const QByteArray& pattern() const { return m_pattern; }
    size_t size() const { return static_cast<size_t>(m_pattern.size()); }
    // Where the filter looks: the pattern's rarest byte and a second rare one.
    size_t rarePosition() const { return m_rarePosition; }
    size_t secondPosition() const { return m_secondPosition; }

    // Offset of the first occurrence in [data, data + length), or -1. An empty
    // pattern is never found.
    int64_t find(const char* data, size_t length) const;

private:
    QByteArray m_pattern;
    // Positions of the two bytes the filter compares (the rarest, different values
    // where the pattern has them).
    size_t m_rarePosition = 0;
    size_t m_secondPosition = 0;
};
