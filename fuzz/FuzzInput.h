#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// Helpers the fuzz targets share.

// The input as bytes (a deep copy: Qt's raw-data views would let a reader keep a
// pointer into libFuzzer's buffer past the call).
QByteArray FuzzBytes(const uint8_t* data, size_t size);

// Writes the input to a file for readers that take a path, and returns its path: one
// file per process in a private folder below /dev/shm (else TMPDIR), rewritten for every
// input. The folder is removed when the process ends normally.
QString WriteFuzzInputFile(const uint8_t* data, size_t size);

// Damaged input is expected to raise EKestrovaError with a message; anything else
// escaping (another exception type, a crash) is a finding.
template <typename Read> void ReadExpectingErrors(Read read)
{
    try {
        read();
    } catch (const std::runtime_error&) {
        // EKestrovaError derives from std::runtime_error; a bad_alloc or a logic
        // error is not caught and ends the run.
    }
}
