#include "app/CommandLine.h"

#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

using Kind = TCommandLine::ExportKind;

TEST(CommandLineTest, WholeSwitchesAreTheNameWithOrWithoutALeadCharacterAndNothingMore)
{
    EXPECT_TRUE(TCommandLine({"/hide"}).hide());
    EXPECT_TRUE(TCommandLine({"-HIDE"}).hide());
    EXPECT_TRUE(TCommandLine({"-Close"}).close());
    EXPECT_FALSE(TCommandLine({"/hidden"}).hide());
    EXPECT_TRUE(TCommandLine({"hide", "close"}).hide());
    EXPECT_TRUE(TCommandLine({"hide", "CLOSE"}).close());
    EXPECT_FALSE(TCommandLine({"hidden"}).hide());
    EXPECT_FALSE(TCommandLine({"/hide:yes"}).hide());
    EXPECT_FALSE(TCommandLine({"--hide"}).hide());
    EXPECT_FALSE(TCommandLine({"/hide", "/mask:*"}).close());
}

TEST(CommandLineTest, PrefixSwitchesIgnoreLetterCaseAndKeepTheValueAsItStands)
{
    QString value;
    EXPECT_TRUE(TCommandLine::matchPrefix("/RANGE:10.0.0.1-10.0.0.9", "/range:", &value));
    EXPECT_EQ(value, "10.0.0.1-10.0.0.9");
    EXPECT_TRUE(TCommandLine::matchPrefix("/Mask:", "/mask:", &value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(TCommandLine::matchPrefix("-mask:*.txt", "/mask:", &value));
}

TEST(CommandLineTest, TheLastRangeWins)
{
    const TCommandLine line({"/range:1.1.1.1-1.1.1.2", "junk", "/Range:2.2.2.2-2.2.2.3"});
    EXPECT_TRUE(line.hasRange());
    EXPECT_EQ(line.lastRange(), "2.2.2.2-2.2.2.3");
    EXPECT_FALSE(TCommandLine({"/mask:*"}).hasRange());
}

TEST(CommandLineTest, MaskAndTextAreLowerCasedAndTheLastOfEachWins)
{
    const TCommandLine line({"/text:Budget", "/MASK:*.DOC", "/mask:*.XLS;*.Txt"});
    const TCommandLine::SearchPreset preset = line.searchPreset();
    EXPECT_TRUE(preset.hasMask);
    EXPECT_EQ(preset.mask, "*.xls;*.txt");
    EXPECT_TRUE(preset.hasText);
    EXPECT_EQ(preset.text, "budget");

    const TCommandLine::SearchPreset none = TCommandLine({"/range:1.2.3.4-1.2.3.5", "/close"}).searchPreset();
    EXPECT_FALSE(none.hasMask);
    EXPECT_FALSE(none.hasText);
}

TEST(CommandLineTest, ExportsComeInArgumentOrderWithTheNameFromTheTwelfthCharacter)
{
    const TCommandLine line({"/exportcsv:a.csv", "/close", "/EXPORTHTM:r %date%.htm",
                             "/exportdat:", "/exportxml:x.xml", "/exportpdf:no.pdf"});
    const QList<TCommandLine::Export> exports = line.exports();
    ASSERT_EQ(exports.size(), 4);
    EXPECT_EQ(exports[0].kind, Kind::Csv);
    EXPECT_EQ(exports[0].fileName, "a.csv");
    EXPECT_EQ(exports[1].kind, Kind::Html);
    EXPECT_EQ(exports[1].fileName, "r %date%.htm");
    EXPECT_EQ(exports[2].kind, Kind::Results);
    EXPECT_EQ(exports[2].fileName, "");
    EXPECT_EQ(exports[3].kind, Kind::Xml);
}

TEST(CommandLineTest, OnlyTheFirstPlaceholderOfEachKindIsReplacedAndOnlyInLowerCase)
{
    const QDateTime now(QDate(2024, 3, 7), QTime(9, 5, 2));
    EXPECT_EQ(ExpandExportFileName("out-%date%.csv", now), "out-2024-03-07.csv");
    EXPECT_EQ(ExpandExportFileName("%date%_%date%", now), "2024-03-07_%date%");
    EXPECT_EQ(ExpandExportFileName("%DATE%-%Time%", now), "%DATE%-%Time%");
    EXPECT_EQ(ExpandExportFileName("r %time% %date% %time%", now), "r 09-05-02 2024-03-07 %time%");
    EXPECT_EQ(ExpandExportFileName("%time%", QDateTime(QDate(2024, 1, 1), QTime(23, 59, 59))), "23-59-59");
}

TEST(CommandLineTest, HelpAndVersionAreRecognised)
{
    EXPECT_TRUE(TCommandLine({"--help"}).help());
    EXPECT_TRUE(TCommandLine({"/?"}).help());
    EXPECT_TRUE(TCommandLine({"--version"}).version());
    EXPECT_FALSE(TCommandLine({"/hide"}).help());
    EXPECT_TRUE(CommandLineHelpText().contains("/exportcsv:"));
}

TEST(CommandLineTest, ArgumentsThatAreNoSwitchAreReportedInOrder)
{
    const TCommandLine line({"/RANGE:1.2.3.4-1.2.3.9", "/exprotcsv:a.csv", "-mask:*.txt", "/mask:*.doc",
                             "Hide", "-close", "/exportdat:r.dat", "closed", "--version", "/?", "/text:x"});
    EXPECT_EQ(line.unknownArguments(), QStringList({"/exprotcsv:a.csv", "-mask:*.txt", "closed"}));
    EXPECT_TRUE(TCommandLine({"/hide", "/close", "/exportxml:x"}).unknownArguments().isEmpty());
}

TEST(CommandLineTest, TheHelpTextNamesTheExitStatuses)
{
    const QString help = CommandLineHelpText();
    EXPECT_TRUE(help.contains("Exit status:\n  0  ")) << help.toStdString();
    EXPECT_TRUE(help.contains("\n  1  an export failed"));
    EXPECT_TRUE(help.contains("\n  2  nothing to search"));
}

} // namespace
