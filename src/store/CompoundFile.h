#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

class TAtomicFile;

// libgsf's own struct tags, declared here to keep its headers out of ours.
struct _GsfInput;   // NOLINT(bugprone-reserved-identifier)
struct _GsfInfile;  // NOLINT(bugprone-reserved-identifier)
struct _GsfOutput;  // NOLINT(bugprone-reserved-identifier)
struct _GsfOutfile; // NOLINT(bugprone-reserved-identifier)

// Compound files (OLE2 structured storage) through libgsf, reduced to what results
// files need: named streams in the root storage, read and written in order. Every
// failure raises EKestrovaError; libgsf's own log lines are collected by the
// caller's TGLibLogCapture.

// One stream opened for reading, buffered so that many small reads stay cheap.
class TCompoundStreamReader {
public:
    TCompoundStreamReader(_GsfInput* input, const QString& name);
    ~TCompoundStreamReader();
    TCompoundStreamReader(const TCompoundStreamReader&) = delete;
    TCompoundStreamReader& operator=(const TCompoundStreamReader&) = delete;

    uint64_t size() const { return m_size; }
    uint64_t position() const { return m_consumed; }
    uint64_t remaining() const { return m_size - m_consumed; }

    // Reads exactly 'count' bytes; raises when the stream ends first or is damaged.
    void read(char* target, size_t count);
    // The rest of the stream; raises when it is longer than 'limit' bytes.
    QByteArray readAll(uint64_t limit);

private:
    void refill();

    _GsfInput* m_input;
    QString m_name;
    uint64_t m_size;
    uint64_t m_consumed = 0; // bytes handed to the caller
    QByteArray m_buffer;
    qsizetype m_bufferPos = 0;
};

class TCompoundFileReader {
public:
    // Opens the file; a file that does not start with the compound-file signature
    // raises "file is corrupted".
    explicit TCompoundFileReader(const QString& path);
    ~TCompoundFileReader();
    TCompoundFileReader(const TCompoundFileReader&) = delete;
    TCompoundFileReader& operator=(const TCompoundFileReader&) = delete;

    // The stream of that name in the root storage, or null when there is none.
    std::unique_ptr<TCompoundStreamReader> openStream(const char* name);
    // Like openStream, but a missing stream raises an error naming it.
    std::unique_ptr<TCompoundStreamReader> requireStream(const char* name);

private:
    _GsfInfile* m_infile = nullptr;
};

// Writes a new compound file through a TAtomicFile: commit() flushes it to the disk
// and renames it over the target, so that a failed save leaves the previous file as
// it was; without commit() the temporary file is removed. The target keeps its
// permissions.
class TCompoundFileWriter {
public:
    explicit TCompoundFileWriter(const QString& path);
    ~TCompoundFileWriter();
    TCompoundFileWriter(const TCompoundFileWriter&) = delete;
    TCompoundFileWriter& operator=(const TCompoundFileWriter&) = delete;

    // Streams are written one at a time: begin, write any number of times, end.
    void beginStream(const char* name);
    void write(const char* data, size_t count);
    void endStream();

    void commit();

private:
    void flushBuffer();
    [[noreturn]] void fail(_GsfOutput* output, const QString& what);
    void discard();

    QString m_target;
    std::unique_ptr<TAtomicFile> m_atomic;
    FILE* m_file = nullptr; // a second descriptor of the temporary file, for libgsf
    _GsfOutput* m_sink = nullptr;
    _GsfOutfile* m_outfile = nullptr;
    _GsfOutput* m_stream = nullptr;
    QString m_streamName;
    QByteArray m_buffer;
};
