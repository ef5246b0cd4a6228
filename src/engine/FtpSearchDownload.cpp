#include "engine/FtpSearchDownload.h"

#include <algorithm>
#include <cstring>

namespace {

// Small enough that a stop or the time limit is noticed soon between reads.
constexpr int64_t kWholeReadChunk = int64_t{256} << 10;

// The kept bytes shared, not copied: the view outlives the download if need be.
class TKeptBytes : public MappedBytes {
public:
    explicit TKeptBytes(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    const char* data() const override { return m_bytes.constData(); }
    int64_t size() const override { return m_bytes.size(); }
    bool intact() const override { return true; }

private:
    QByteArray m_bytes;
};

} // namespace

TFtpKeptDownload::TFtpKeptDownload(ByteSource& download, int64_t keepLimit)
    : m_download(download), m_keepLimit(keepLimit)
{
}

int64_t TFtpKeptDownload::read(int64_t offset, char* buffer, int64_t length)
{
    if (offset < 0 || length < 0)
        return -1;
    if (offset < m_kept.size()) {
        const int64_t served = std::min<int64_t>(length, m_kept.size() - offset);
        memcpy(buffer, m_kept.constData() + offset, static_cast<size_t>(served));
        return served;
    }
    if (offset != m_position)
        return -1;
    const int64_t got = m_download.read(offset, buffer, length);
    if (got <= 0)
        return got;
    if (m_position == m_kept.size() && m_position + got <= m_keepLimit)
        m_kept.append(buffer, static_cast<qsizetype>(got));
    m_position += got;
    return got;
}

std::unique_ptr<MappedBytes> TFtpKeptDownload::map()
{
    if (m_kept.isEmpty() || m_kept.size() != size())
        return nullptr;
    return std::make_unique<TKeptBytes>(m_kept);
}

QByteArrayView TFtpKeptDownload::readHead(int64_t length)
{
    length = std::min(length, m_keepLimit);
    while (m_kept.size() < length && m_position == m_kept.size()) {
        const qsizetype start = m_kept.size();
        m_kept.resize(static_cast<qsizetype>(length));
        const int64_t got = m_download.read(m_position, m_kept.data() + start, length - start);
        m_kept.truncate(start + static_cast<qsizetype>(std::max<int64_t>(got, 0)));
        if (got <= 0)
            break;
        m_position += got;
    }
    return QByteArrayView(m_kept).first(std::min<qsizetype>(m_kept.size(), static_cast<qsizetype>(length)));
}

QString TFtpKeptDownload::readWhole(const TExtractionBudget& budget)
{
    const int64_t total = size();
    m_keepLimit = std::max(m_keepLimit, total);
    if (m_position != m_kept.size())
        return {};
    m_kept.reserve(static_cast<qsizetype>(total));
    while (m_kept.size() < total) {
        if (QString interruption = budget.interruption(); !interruption.isEmpty())
            return interruption;
        const qsizetype start = m_kept.size();
        const int64_t chunk = std::min<int64_t>(kWholeReadChunk, total - start);
        m_kept.resize(start + static_cast<qsizetype>(chunk));
        const int64_t got = m_download.read(m_position, m_kept.data() + start, chunk);
        m_kept.truncate(start + static_cast<qsizetype>(std::max<int64_t>(got, 0)));
        if (got <= 0)
            break;
        m_position += got;
    }
    return {};
}
