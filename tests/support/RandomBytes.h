#pragma once

#include <QByteArray>
#include <random>
#include <string_view>

// `length` bytes drawn one by one from `alphabet`: texts with many near-matches for
// the scanner tests that compare a search against a plain one on random data.
inline QByteArray RandomBytes(std::mt19937& random, qsizetype length, std::string_view alphabet)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = alphabet[random() % alphabet.size()];
    return bytes;
}
