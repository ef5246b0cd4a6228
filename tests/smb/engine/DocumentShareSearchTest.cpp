#include "support/DocumentSamples.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/engine/LiveSearch.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <gtest/gtest.h>

// "Search inside documents" over SMB: the documents' bytes come through the agent
// in its chunks, the terms are found in their text, hits carry the term and its
// excerpt, a damaged document falls back to the byte search and is named once.
namespace {

using namespace DocumentSamples;
using SmbFixture::hostUnc;

class DocumentShareSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        folder = SmbFixture::shareDir(5, QStringLiteral("pub")) + QStringLiteral("/textdocs");
        ASSERT_TRUE(QDir().mkpath(folder));
        Write(QStringLiteral("report.docx"), docx());
        // Recognised by content, not name.
        Write(QStringLiteral("renamed.bin"), odt());
        Write(QStringLiteral("sheet.xlsx"), xlsx());
        Write(QStringLiteral("paper.pdf"), pdf({}, 3));
        Write(QStringLiteral("letter.rtf"), rtf());
        // Larger than the agent's 1 MiB reads, the term near its end.
        QByteArray wide = plainText({}, TextEncoding::Utf16Le, true);
        const QByteArray filler = QStringLiteral("filler line\n").repeated(150000).toUtf8();
        QByteArray fillerWide;
        for (char c : filler)
            fillerWide.append(c).append('\0');
        wide.insert(2, fillerWide);
        Write(QStringLiteral("notes.txt"), wide);
        const QByteArray word = docx();
        Write(QStringLiteral("damaged1.docx"), word.first(word.size() / 2));
        Write(QStringLiteral("damaged2.docx"), word.first(word.size() / 3));

        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.ResList = hostUnc(5);
        config.FileMasks = QStringLiteral("*");
        config.FoldersSearchMethod = TFolderListMode::OnlySpecified;
        config.FolderList = QStringLiteral("pub\\textdocs");
        config.EnableTextSearch = true;
        config.SearchInsideDocuments = true;
        config.Logic = TTextLogic::Any;
    }
    void TearDown() override
    {
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
        SmbAgentProcess::setAgentCommand({});
    }

    void Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    THeadlessSearchResult Run()
    {
        LiveSearch search;
        THeadlessSearchResult result = search.run(config);
        EXPECT_TRUE(result.Errors.empty());
        return result;
    }

    static QString Doc(const QString& name) { return hostUnc(5) + "\\pub\\textdocs\\" + name; }

    static QHash<QString, TItemRecord> ByName(const THeadlessSearchResult& result)
    {
        QHash<QString, TItemRecord> items;
        for (const TItemRecord& item : result.Items)
            items.insert(item.FileName, item);
        return items;
    }

    QString folder;
    TThreadConfig config;
};

TEST_F(DocumentShareSearchTest, SplitWordIsFoundInEveryFormatWithItsExcerpt)
{
    config.SearchText = QStringLiteral("password");
    const auto items = ByName(Run());
    QStringList names = items.keys();
    names.sort();
    QStringList expected{Doc("letter.rtf"),  Doc("notes.txt"),   Doc("paper.pdf"),
                         Doc("renamed.bin"), Doc("report.docx"), Doc("sheet.xlsx")};
    expected.sort();
    EXPECT_EQ(names, expected);
    const TItemRecord report = items.value(Doc("report.docx"));
    ASSERT_TRUE(report.Match);
    EXPECT_EQ(report.Match->Term, QStringLiteral("password"));
    EXPECT_TRUE(report.Match->Excerpt.contains(u"Your password")) << report.Match->Excerpt.toStdString();
    ASSERT_TRUE(items.value(Doc("notes.txt")).Match);
    EXPECT_GT(items.value(Doc("notes.txt")).Size, 2 << 20);
    EXPECT_TRUE(
        items.value(Doc("notes.txt")).Match->Excerpt.endsWith(u"cellterm other headerterm Your password"));
}

TEST_F(DocumentShareSearchTest, HeaderAndCellTermsAreFoundAndAbsentOnesAreNot)
{
    config.Logic = TTextLogic::All;
    config.SearchText = QStringLiteral("headerterm cellterm");
    EXPECT_EQ(ByName(Run()).size(), 6);
    config.SearchText = QStringLiteral("headerterm absentterm");
    EXPECT_TRUE(Run().Items.isEmpty());
}

TEST_F(DocumentShareSearchTest, WithoutTheOptionCompressedTextStaysUnseen)
{
    config.SearchInsideDocuments = false;
    config.SearchText = QStringLiteral("password");
    config.Encoding = TTextEncoding::Ansi;
    // The byte search sees only the uncompressed RTF, where the word is split by markup.
    EXPECT_TRUE(Run().Items.isEmpty());
}

TEST_F(DocumentShareSearchTest, DamagedDocumentsFallBackAndAreNamedOnce)
{
    config.SearchText = QStringLiteral("PK");
    const THeadlessSearchResult result = Run();
    const auto items = ByName(result);
    // The byte search finds the zip signature in both damaged files.
    EXPECT_TRUE(items.contains(Doc("damaged1.docx")));
    EXPECT_TRUE(items.contains(Doc("damaged2.docx")));
    // The match then comes from the bytes: the term as found there.
    ASSERT_TRUE(items.value(Doc("damaged1.docx")).Match);
    EXPECT_EQ(items.value(Doc("damaged1.docx")).Match->Term, QStringLiteral("PK"));
    int lines = 0;
    for (const TSearchLogEntry& entry : result.Log)
        lines += entry.Text.startsWith(u"Cannot search the text of ");
    EXPECT_EQ(lines, 1);
}

} // namespace
