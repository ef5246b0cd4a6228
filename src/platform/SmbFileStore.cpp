#include "platform/SmbFileStore.h"

#include "platform/SmbFileWriter.h"
#include "platform/UncPath.h"

namespace {

constexpr uint32_t kAttrDirectory = 0x10;

class SmbStoreWriter : public FileStoreWriter {
public:
    explicit SmbStoreWriter(std::unique_ptr<SmbFileWriter> writer) : m_writer(std::move(writer)) {}
    PlatformError write(const char* data, int64_t length) override { return m_writer->write(data, length); }
    PlatformError finish() override { return m_writer->close(); }

private:
    std::unique_ptr<SmbFileWriter> m_writer;
};

} // namespace

SmbFileStore::SmbFileStore(const SmbAgentOptions& options, LogonHook logon)
    : m_client(options), m_logon(std::move(logon))
{
}

void SmbFileStore::logOnFor(const QString& path)
{
    if (!m_logon)
        return;
    const auto parsed = UncPath::parse(path);
    if (!parsed || parsed->isHost())
        return;
    const QString share = parsed->sharePath().toUnc();
    if (m_loggedOn.contains(share.toLower()))
        return;
    m_loggedOn.insert(share.toLower());
    m_logon(m_client, share);
}

PlatformError SmbFileStore::stat(const QString& path, FileStoreStat& stat)
{
    logOnFor(path);
    const Result<ShareFileStat> found = m_client.stat(path);
    if (!found)
        return found.error();
    stat.folder = found.value().folder;
    stat.size = found.value().size;
    stat.writeTime = found.value().writeTime;
    return {};
}

PlatformError SmbFileStore::list(const QString& folder, std::vector<FileStoreEntry>& entries)
{
    logOnFor(folder);
    const Result<std::vector<ShareDirEntry>> listed = m_client.listFolder(folder);
    if (!listed)
        return listed.error();
    entries.clear();
    for (const ShareDirEntry& entry : listed.value()) {
        if (entry.name == u"." || entry.name == u"..")
            continue;
        entries.push_back({entry.name, (entry.attributes & kAttrDirectory) != 0, entry.size});
    }
    return {};
}

Result<std::unique_ptr<ByteSource>> SmbFileStore::openRead(const QString& path)
{
    logOnFor(path);
    return m_client.openFile(path);
}

Result<std::unique_ptr<FileStoreWriter>> SmbFileStore::create(const QString& path, bool exclusive)
{
    logOnFor(path);
    Result<std::unique_ptr<SmbFileWriter>> writer = m_client.createFile(path, exclusive);
    if (!writer)
        return writer.error();
    return std::make_unique<SmbStoreWriter>(std::move(writer).value());
}

PlatformError SmbFileStore::removeFile(const QString& path)
{
    logOnFor(path);
    return m_client.removeFile(path);
}

PlatformError SmbFileStore::makeFolder(const QString& path)
{
    logOnFor(path);
    return m_client.makeFolder(path);
}

PlatformError SmbFileStore::removeFolder(const QString& path)
{
    logOnFor(path);
    return m_client.removeFolder(path);
}

PlatformError SmbFileStore::rename(const QString& path, const QString& newPath, bool replace)
{
    logOnFor(path);
    return m_client.rename(path, newPath, replace);
}
