#pragma once

#include "documents/ExtractionBudget.h"
#include "engine/ports/ByteSource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <memory>

// An FTP download (read front to back only) that keeps in memory what it has read
// from the start of the file, up to a bound, so that the document test and after it
// the byte search can both read the file from offset 0 with one download and no
// copy on disk. Reads inside the kept bytes are served from memory; a read where the
// download stands goes on with it. Any other read fails (-1).
class TFtpKeptDownload : public ByteSource {
public:
    // keepLimit: how many bytes from the start are kept (more may be allowed later).
    TFtpKeptDownload(ByteSource& download, int64_t keepLimit);

    int64_t size() override { return m_download.size(); }
    int64_t read(int64_t offset, char* buffer, int64_t length) override;
    // The kept bytes once they are the whole file; nullptr before.
    std::unique_ptr<MappedBytes> map() override;

    // Reads the first `length` bytes (fewer when the file is shorter or a read
    // fails) and returns them.
    QByteArrayView readHead(int64_t length);
    // Keeps the whole file and downloads it into memory, in chunks, until it is all
    // there, a read fails or the budget ends (a stop, the time limit). Returns the
    // budget's interruption: empty when the download ended by itself.
    QString readWhole(const TExtractionBudget& budget);

private:
    ByteSource& m_download;
    QByteArray m_kept;
    int64_t m_keepLimit;
    int64_t m_position = 0; // where the download stands
};
