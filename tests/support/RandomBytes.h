#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <random>

// `length` bytes drawn one by one from `alphabet`: texts with many near-matches for
// the scanner tests that compare a search against a plain one on random data.
inline QByteArray RandomBytes(std::mt19937& random, qsizetype length, QByteArrayView alphabet)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = alphabet[static_cast<qsizetype>(random() % static_cast<size_t>(alphabet.size()))];
    return bytes;
}
