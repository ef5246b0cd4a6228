#include "platform/LocalFileMapping.h"

#include "engine/ContentScanner.h"
#include "engine/DocumentContentTest.h"
#include "engine/PatternScan.h"
#include "platform/LocalFileSource.h"
#include "support/DocumentSamples.h"
#include "support/RandomBytes.h"
#include "support/TempDir.h"

#include <QFile>
#include <QStringList>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <stop_token>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const int64_t kPage = sysconf(_SC_PAGESIZE);

std::unique_ptr<LocalFileSource> Open(const QString& path)
{
    auto opened = LocalFileSource::open(path);
    EXPECT_TRUE(opened) << qPrintable(path);
    return opened ? std::move(opened.value()) : nullptr;
}

// The same file read with read() only: what the mapped scan must agree with.
class ReadOnlySource : public ByteSource {
public:
    explicit ReadOnlySource(ByteSource& inner) : m_inner(inner) {}
    int64_t size() override { return m_inner.size(); }
    int64_t read(int64_t offset, char* buffer, int64_t length) override
    {
        return m_inner.read(offset, buffer, length);
    }

private:
    ByteSource& m_inner;
};

// A file that shrinks to newSize between the mapping and the scan of it, while
// the scan still trusts the size it was given.
class ShrinkingSource : public ByteSource {
public:
    ShrinkingSource(ByteSource& inner, QString path, int64_t newSize)
        : m_inner(inner), m_path(std::move(path)), m_newSize(newSize)
    {
    }
    int64_t size() override { return m_inner.size(); }
    int64_t read(int64_t offset, char* buffer, int64_t length) override
    {
        return m_inner.read(offset, buffer, length);
    }
    std::unique_ptr<MappedBytes> map() override
    {
        auto mapped = m_inner.map();
        EXPECT_TRUE(QFile::resize(m_path, m_newSize));
        return mapped;
    }

private:
    ByteSource& m_inner;
    QString m_path;
    int64_t m_newSize;
};

PatternScanResult Scan(ByteSource& source, std::vector<ByteFinder> finders, size_t chunkSize,
                       size_t contextBytes = 0)
{
    return ScanForPatterns(source, source.size(), finders, false, chunkSize, {}, contextBytes);
}

TEST(LocalFileMappingTest, MapsTheWholeFileAndReadsItInPlace)
{
    TempDir dir;
    const QByteArray content = QByteArray(3 * kPage + 17, 'x') + "tail";
    const auto source = Open(dir.write("file.txt", content));
    ASSERT_TRUE(source);
    const auto mapped = source->map();
    ASSERT_TRUE(mapped);
    ASSERT_EQ(mapped->size(), content.size());
    EXPECT_EQ(QByteArray(mapped->data(), content.size()), content);
    EXPECT_TRUE(mapped->intact());
}

TEST(LocalFileMappingTest, EmptyFileIsNotMappedAndHoldsNothing)
{
    TempDir dir;
    const auto source = Open(dir.write("empty.txt", {}));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->map(), nullptr);
    const PatternScanResult result = Scan(*source, {ByteFinder("a")}, kScanChunkSize);
    EXPECT_EQ(result.status, ScanStatus::Completed);
    EXPECT_FALSE(result.found[0]);
    EXPECT_FALSE(FileContainsText(*source, "a", TTextLogic::Any, TTextEncoding::Ansi));
    // An empty file does not pass, not even the "none" logic.
    EXPECT_FALSE(FileContainsText(*source, "a", TTextLogic::None, TTextEncoding::Ansi));
}

TEST(LocalFileMappingTest, SparseFileIsReadNotMapped)
{
    TempDir dir;
    const QString path = dir.file("sparse.bin");
    const int64_t size = 64 * kPage;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
        ASSERT_TRUE(file.seek(size - 6));
        ASSERT_EQ(file.write("needle"), 6);
    }
    const auto source = Open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->map(), nullptr);
    EXPECT_TRUE(FileContainsText(*source, "needle", TTextLogic::All, TTextEncoding::Ansi));
}

// Terms in the first and the last bytes, for sizes below, at and past a page, so
// the end of the mapping falls inside a page and on its edge.
TEST(LocalFileMappingTest, FindsTermsAtBothEndsOfTheFile)
{
    TempDir dir;
    for (const int64_t size : {int64_t{10}, kPage - 1, kPage, kPage + 1, 2 * kPage + 5}) {
        QByteArray content(size, '.');
        content.replace(0, 5, "first");
        content.replace(size - 4, 4, "last");
        const auto source = Open(dir.write(QStringLiteral("ends-%1.txt").arg(size), content));
        ASSERT_TRUE(source);
        const PatternScanResult result =
            Scan(*source, {ByteFinder("first"), ByteFinder("last"), ByteFinder("absent")}, 4096, 3);
        ASSERT_EQ(result.status, ScanStatus::Completed) << size;
        EXPECT_TRUE(result.found[0]) << size;
        EXPECT_TRUE(result.found[1]) << size;
        EXPECT_FALSE(result.found[2]) << size;
        ASSERT_TRUE(result.first);
        EXPECT_EQ(result.first->offset, 0);
        EXPECT_EQ(result.first->context, content.left(8));
    }
}

// With a small chunk the term lies across a chunk boundary; the mapped scan finds
// it where the buffered one does, with the same context on both sides.
TEST(LocalFileMappingTest, TermAcrossAChunkBoundaryIsFoundWithItsContext)
{
    TempDir dir;
    QByteArray content(3 * 4096, '-');
    content.replace(4096 - 3, 7, "needles");
    content.replace(2 * 4096 - 1, 2, "ab");
    const auto source = Open(dir.write("boundary.txt", content));
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->map());
    ReadOnlySource unmapped(*source);
    for (const size_t contextBytes : {size_t{0}, size_t{5}, size_t{6000}}) {
        const PatternScanResult mapped =
            Scan(*source, {ByteFinder("needles"), ByteFinder("ab")}, 4096, contextBytes);
        const PatternScanResult read =
            Scan(unmapped, {ByteFinder("needles"), ByteFinder("ab")}, 4096, contextBytes);
        ASSERT_EQ(mapped.status, ScanStatus::Completed);
        EXPECT_EQ(mapped.found, (std::vector<bool>{true, true}));
        ASSERT_TRUE(mapped.first && read.first);
        EXPECT_EQ(mapped.first->offset, 4096 - 3);
        EXPECT_EQ(mapped.first->context, read.first->context) << contextBytes;
        EXPECT_EQ(mapped.first->matchStart, read.first->matchStart);
        EXPECT_EQ(mapped.first->context.mid(static_cast<qsizetype>(mapped.first->matchStart), 7), "needles");
    }
}

TEST(LocalFileMappingTest, MappedAndReadScansAgreeOnRandomFiles)
{
    TempDir dir;
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        const QByteArray content = RandomBytes(random, static_cast<qsizetype>(1 + random() % 9000), "abc");
        std::vector<ByteFinder> finders;
        for (int i = 0; i < 3; ++i)
            finders.emplace_back(RandomBytes(random, static_cast<qsizetype>(4 + random() % 8), "abc"));
        const auto source = Open(dir.write(QStringLiteral("random-%1.txt").arg(round), content));
        ASSERT_TRUE(source);
        ReadOnlySource unmapped(*source);
        for (const size_t chunkSize : {size_t{7}, size_t{4096}, kScanChunkSize}) {
            const PatternScanResult mapped = Scan(*source, finders, chunkSize, 4);
            const PatternScanResult read = Scan(unmapped, finders, chunkSize, 4);
            ASSERT_EQ(mapped.status, ScanStatus::Completed);
            ASSERT_EQ(mapped.found, read.found) << round << " chunk " << chunkSize;
            for (size_t i = 0; i < finders.size(); ++i)
                ASSERT_EQ(mapped.found[i], content.contains(finders[i].pattern()));
            ASSERT_EQ(mapped.first.has_value(), read.first.has_value());
            if (mapped.first) {
                EXPECT_EQ(mapped.first->offset, read.first->offset);
                EXPECT_EQ(mapped.first->context, read.first->context);
            }
        }
    }
}

TEST(LocalFileMappingTest, StopEndsTheMappedScanBeforeTheFirstChunk)
{
    TempDir dir;
    const auto source = Open(dir.write("stop.txt", QByteArray(64 * 1024, 'z') + "needle"));
    ASSERT_TRUE(source);
    std::stop_source stop;
    stop.request_stop();
    const PatternScanResult result =
        ScanForPatterns(*source, source->size(), {ByteFinder("needle")}, true, 4096, stop.get_token());
    EXPECT_EQ(result.status, ScanStatus::Stopped);
    EXPECT_FALSE(result.found[0]);
}

// Pages the file lost after it was mapped read as zeros instead of raising SIGBUS,
// and the mapping says so; pages it still has keep their bytes.
TEST(LocalFileMappingTest, ReadPastANewEndOfTheFileIsNoticedNotFatal)
{
    TempDir dir;
    const QString path = dir.write("shrinks.txt", QByteArray(4 * kPage, 'k'));
    const auto source = Open(path);
    ASSERT_TRUE(source);
    const auto mapped = source->map();
    ASSERT_TRUE(mapped);
    ASSERT_TRUE(QFile::resize(path, kPage));
    EXPECT_EQ(mapped->data()[kPage - 1], 'k');
    EXPECT_TRUE(mapped->intact());
    const volatile char* lost = mapped->data() + 2 * kPage + 10;
    EXPECT_EQ(*lost, '\0');
    EXPECT_FALSE(mapped->intact());
    EXPECT_EQ(mapped->data()[0], 'k');
}

// The scan trusts a size the file no longer has: it ends as a failed read, never
// with a verdict taken from the zeros, even for a term made of zeros.
TEST(LocalFileMappingTest, FileShorterThanItsStatFailsTheScan)
{
    TempDir dir;
    const QString path = dir.write("shorter.txt", QByteArray(5 * 4096, 'q') + "needle");
    const auto inner = Open(path);
    ASSERT_TRUE(inner);
    ShrinkingSource source(*inner, path, 4096 + 100);
    const PatternScanResult result =
        Scan(source, {ByteFinder("needle"), ByteFinder(QByteArray(8, '\0'))}, 4096);
    EXPECT_EQ(result.status, ScanStatus::ReadFailed);
    EXPECT_FALSE(FileContainsText(*inner, "needle", TTextLogic::Any, TTextEncoding::Ansi));
    EXPECT_EQ(inner->size(), 4096 + 100);
}

TThreadConfig DocumentConfig(const QString& searchText)
{
    TThreadConfig config;
    config.EnableTextSearch = true;
    config.SearchInsideDocuments = true;
    config.SearchText = searchText;
    return config;
}

// The document test extracts a mapped file in place.
TEST(LocalFileMappingTest, DocumentTestReadsAMappedFile)
{
    TempDir dir;
    const auto source = Open(dir.write("report.docx", DocumentSamples::docx()));
    ASSERT_TRUE(source);
    QStringList lines;
    TDocumentLog log([&lines](const QString& line) { lines.append(line); });
    const TDocumentVerdict verdict = TestDocumentContent(*source, QStringLiteral("report.docx"),
                                                         DocumentConfig(QStringLiteral("bodyterm")), {}, log);
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::Matched);
    EXPECT_EQ(verdict.Format, TDocumentFormat::Docx);
    EXPECT_TRUE(lines.isEmpty());
}

// A document that loses its end under the mapping fails with a reason instead of
// being extracted from zeros.
TEST(LocalFileMappingTest, DocumentThatShrinksUnderItsMappingFails)
{
    TempDir dir;
    const QByteArray text = "plain text with the bodyterm near its end\n";
    const QString path = dir.write("notes.txt", QByteArray(3 * kPage, 'a') + ' ' + text);
    const auto inner = Open(path);
    ASSERT_TRUE(inner);
    ShrinkingSource source(*inner, path, kPage);
    QStringList lines;
    TDocumentLog log([&lines](const QString& line) { lines.append(line); });
    const TDocumentVerdict verdict = TestDocumentContent(source, QStringLiteral("\\\\HOST\\notes.txt"),
                                                         DocumentConfig(QStringLiteral("bodyterm")), {}, log);
    EXPECT_EQ(verdict.Outcome, TDocumentOutcome::Failed);
    EXPECT_EQ(verdict.Reason, QStringLiteral("it could not be read to its end"));
    EXPECT_EQ(lines.size(), 1);
}

// A bus error outside every guarded mapping still ends the process.
TEST(LocalFileMappingDeathTest, BusErrorElsewhereIsNotSwallowed)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reports bus errors itself";
#endif
    TempDir dir;
    const QString path = dir.write("unguarded.txt", QByteArray(4 * kPage, 'u'));
    const auto source = Open(path);
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->map()); // installs the handler
    EXPECT_EXIT(
        {
            const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            void* const other = mmap(nullptr, 4 * kPage, PROT_READ, MAP_SHARED, descriptor, 0);
            if (other == MAP_FAILED ||
                ftruncate(::open(QFile::encodeName(path).constData(), O_WRONLY), 0) != 0)
                _exit(3);
            const volatile char* beyond = static_cast<const char*>(other) + 2 * kPage;
            _exit(*beyond == 'u' ? 4 : 5);
        },
        ::testing::KilledBySignal(SIGBUS), "");
}

} // namespace
