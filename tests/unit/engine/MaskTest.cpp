#include "engine/Mask.h"

#include "engine/FileMask.h"
#include "model/Error.h"
#include "support/QStringPrinter.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

QString CompileError(const QString& mask)
{
    try {
        TMask compiled(mask);
    } catch (const EKestrovaError& error) {
        return error.message();
    }
    return QString();
}

QString Repeat(const QString& text, int count)
{
    return text.repeated(count);
}

TEST(MaskTest, WholeNameMatchWithStarAndQuestionMark)
{
    const TMask txt("*.txt");
    EXPECT_TRUE(txt.Matches("A.TXT"));
    EXPECT_TRUE(txt.Matches(".txt"));
    EXPECT_FALSE(txt.Matches("a.txt.bak"));
    EXPECT_FALSE(txt.Matches("atxt"));

    const TMask question("a?c");
    EXPECT_TRUE(question.Matches("abc"));
    EXPECT_FALSE(question.Matches("ac"));
    EXPECT_FALSE(question.Matches("abbc"));
    EXPECT_FALSE(TMask("?").Matches(""));
    EXPECT_FALSE(TMask("a?").Matches("a"));

    EXPECT_TRUE(TMask("a**").Matches("a"));
    EXPECT_TRUE(TMask("**").Matches(""));
    EXPECT_TRUE(TMask("a]").Matches("A]"));
}

TEST(MaskTest, QuestionMarkAfterStarIsDropped)
{
    EXPECT_TRUE(TMask("a*?").Matches("a"));
    EXPECT_TRUE(TMask("*??x").Matches("x"));
    // Before a star it still takes one character.
    EXPECT_FALSE(TMask("?*").Matches(""));
    EXPECT_TRUE(TMask("?*").Matches("a"));
}

TEST(MaskTest, EmptyMaskMatchesOnlyEmptyName)
{
    const TMask empty("");
    EXPECT_TRUE(empty.Matches(""));
    EXPECT_FALSE(empty.Matches("a"));
}

TEST(MaskTest, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(TMask("abc").Matches("ABC"));
    EXPECT_TRUE(TMask("ABC").Matches("abc"));
    EXPECT_TRUE(TMask("é").Matches("é"));
    EXPECT_FALSE(TMask("é").Matches("É"));
    EXPECT_FALSE(TMask("É").Matches("é"));
    EXPECT_FALSE(TMask("[é]").Matches("É"));
}

TEST(MaskTest, SetsRangesAndNegation)
{
    const TMask range("[a-c]*");
    EXPECT_TRUE(range.Matches("Beta"));
    EXPECT_TRUE(range.Matches("cat"));
    EXPECT_FALSE(range.Matches("delta"));
    EXPECT_FALSE(range.Matches(""));

    const TMask negated("[!a]*");
    EXPECT_TRUE(negated.Matches("beta"));
    EXPECT_FALSE(negated.Matches("alpha"));
    EXPECT_FALSE(negated.Matches("Alpha"));
    EXPECT_FALSE(negated.Matches(""));

    EXPECT_TRUE(TMask("[A-c]").Matches("b"));
    EXPECT_TRUE(TMask("[xyz0-9]").Matches("5"));
    EXPECT_FALSE(TMask("[xyz0-9]").Matches("w"));
    // A reversed range adds only its first character.
    EXPECT_TRUE(TMask("[c-a]").Matches("c"));
    EXPECT_FALSE(TMask("[c-a]").Matches("b"));
    // '*' and '?' inside a set are members, not wildcards.
    EXPECT_TRUE(TMask("[*?]").Matches("?"));
    EXPECT_FALSE(TMask("[*?]").Matches("a"));
}

TEST(MaskTest, DashClosingASetStandsForItself)
{
    const TMask mask("[a-]");
    EXPECT_TRUE(mask.Matches("a"));
    EXPECT_TRUE(mask.Matches("-"));
    EXPECT_FALSE(mask.Matches("b"));
}

TEST(MaskTest, SetMembersAboveCode255)
{
    const TMask mask("[łż]x");
    EXPECT_TRUE(mask.Matches("łx"));
    EXPECT_TRUE(mask.Matches("żX"));
    EXPECT_FALSE(mask.Matches("Łx"));
    // A character that shares the low byte of a member is not a member.
    EXPECT_FALSE(mask.Matches(QString(QChar(0x42)) + "x")); // 'B' vs U+0142
    EXPECT_TRUE(TMask("[Ā-ž]").Matches("ő"));
    EXPECT_FALSE(TMask("[!ł]").Matches("ł"));
    EXPECT_TRUE(TMask("[!ł]").Matches("l"));
}

TEST(MaskTest, SurrogatePairsAreOneCharacter)
{
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600
    const QString beam = QString::fromUtf8("\xF0\x9F\x98\x81"); // U+1F601, same high unit
    ASSERT_EQ(grin.size(), 2);

    EXPECT_TRUE(TMask(grin + "*").Matches(grin + ".txt"));
    EXPECT_FALSE(TMask(grin + "*").Matches(beam + ".txt"));
    EXPECT_TRUE(TMask("*" + grin).Matches("a" + grin));
    EXPECT_TRUE(TMask("?.txt").Matches(grin + ".txt"));
    EXPECT_FALSE(TMask("??.txt").Matches(grin + ".txt"));
    EXPECT_TRUE(TMask("[" + grin + "]").Matches(grin));
    EXPECT_FALSE(TMask("[" + grin + "]").Matches(beam));
    EXPECT_TRUE(TMask("[!" + grin + "]").Matches(beam));

    // A lone high surrogate is an ordinary literal: the 'a' after it is still
    // a letter of its own and folds.
    const QString lone = QString(QChar(0xD83D)) + "a";
    EXPECT_TRUE(TMask(lone).Matches(QString(QChar(0xD83D)) + "A"));
}

TEST(MaskTest, InvalidMasksNameTheStopPosition)
{
    EXPECT_EQ(CompileError("[a"), "'[a' is an invalid mask at (3)");
    EXPECT_EQ(CompileError("[]"), "'[]' is an invalid mask at (2)");
    EXPECT_EQ(CompileError("[-a]"), "'[-a]' is an invalid mask at (2)");
    EXPECT_EQ(CompileError("[!]"), "'[!]' is an invalid mask at (3)");
    EXPECT_EQ(CompileError("["), "'[' is an invalid mask at (2)");
    EXPECT_EQ(CompileError("x[a-"), "'x[a-' is an invalid mask at (5)");
    EXPECT_EQ(CompileError("*.d[oc"), "'*.d[oc' is an invalid mask at (7)");
    // The mask text is inserted verbatim, even when it looks like a placeholder.
    EXPECT_EQ(CompileError("%2[%1"), "'%2[%1' is an invalid mask at (6)");
    EXPECT_TRUE(CompileError("[ab]*[!c-e]?").isEmpty());
}

TEST(MaskTest, AtMostThirtyElementsAfterStars)
{
    // "a*" x 30: 29 letters and the terminator carry a star.
    EXPECT_TRUE(CompileError(Repeat("a*", 30)).isEmpty());
    // "a*" x 31: the terminator is the 31st, one past the text.
    EXPECT_EQ(CompileError(Repeat("a*", 31)),
              QStringLiteral("'%1' is an invalid mask at (63)").arg(Repeat("a*", 31)));
    EXPECT_TRUE(CompileError(Repeat("*a", 30)).isEmpty());
    // "*a" x 31: the 31st letter, at position 62, is refused.
    EXPECT_EQ(CompileError(Repeat("*a", 31)),
              QStringLiteral("'%1' is an invalid mask at (62)").arg(Repeat("*a", 31)));
    // A set after the limit is refused at its '['.
    EXPECT_EQ(CompileError(Repeat("*a", 30) + "*[b]"),
              QStringLiteral("'%1' is an invalid mask at (62)").arg(Repeat("*a", 30) + "*[b]"));
    // Runs of stars, and question marks they swallow, count once or not at all.
    EXPECT_TRUE(CompileError(Repeat("*", 100)).isEmpty());
    EXPECT_TRUE(CompileError(Repeat("**?a", 30)).isEmpty());
    EXPECT_TRUE(CompileError(Repeat("a", 200)).isEmpty());

    const TMask thirty(Repeat("a*", 30));
    EXPECT_TRUE(thirty.Matches(Repeat("a", 30)));
    EXPECT_FALSE(thirty.Matches(Repeat("a", 29)));
}

TEST(MaskTest, HostileMaskAnswersWithoutBacktrackingExplosion)
{
    // Backtracking into every star would take longer than the test's lifetime.
    const TMask hostile("*a*a*a*a*a*a*a*a*a*a*a*a*b");
    const QString name(50000, u'a');
    EXPECT_FALSE(hostile.Matches(name));
    EXPECT_TRUE(hostile.Matches(name + "b"));
    EXPECT_FALSE(TMask(Repeat("*a", 28) + "*b*").Matches(name));
    EXPECT_TRUE(TMask(Repeat("*a", 28) + "*b*").Matches(name + "b" + name));
}

TEST(MaskTest, BacktracksToTheLatestStar)
{
    EXPECT_TRUE(TMask("*aab").Matches("aaab"));
    EXPECT_TRUE(TMask("*ab*ab").Matches("xabyab"));
    EXPECT_FALSE(TMask("*ab*ab").Matches("xab"));
    EXPECT_TRUE(TMask("a*b*c").Matches("abxbbc"));
    EXPECT_FALSE(TMask("a*b*c").Matches("abxbbcd"));
    EXPECT_TRUE(TMask("*?x").Matches("x"));
}

// Reference glob by dynamic programming over the same small syntax ('*', '?',
// letters; ASCII folding; '?' after a star dropped), to cross-check the linear
// matcher on many random cases.
bool ReferenceMatch(const QString& rawMask, const QString& name)
{
    QString mask;
    bool afterStar = false;
    for (const QChar ch : rawMask) {
        if (ch == u'*')
            afterStar = true;
        else if (ch == u'?' && afterStar)
            continue;
        else
            afterStar = false;
        mask += ch;
    }
    const auto fold = [](QChar ch) { return ch.unicode() < 128 ? ch.toUpper() : ch; };
    const qsizetype m = mask.size(), n = name.size();
    std::vector<std::vector<char>> match(m + 1, std::vector<char>(n + 1, 0));
    match[m][n] = 1;
    for (qsizetype i = m - 1; i >= 0; --i) {
        for (qsizetype j = n; j >= 0; --j) {
            const QChar ch = mask.at(i);
            if (ch == u'*')
                match[i][j] = match[i + 1][j] || (j < n && match[i][j + 1]);
            else if (j < n && (ch == u'?' || fold(ch) == fold(name.at(j))))
                match[i][j] = match[i + 1][j + 1];
        }
    }
    return match[0][0];
}

TEST(MaskTest, AgreesWithReferenceGlobOnRandomCases)
{
    std::mt19937 random(20240611);
    const QString maskChars = "ab*?A";
    const QString nameChars = "abAB";
    int matches = 0;
    for (int round = 0; round < 20000; ++round) {
        QString mask, name;
        const int maskLength = random() % 9;
        const int nameLength = random() % 11;
        for (int i = 0; i < maskLength; ++i)
            mask += maskChars.at(random() % maskChars.size());
        for (int i = 0; i < nameLength; ++i)
            name += nameChars.at(random() % nameChars.size());
        const bool expected = ReferenceMatch(mask, name);
        matches += expected;
        ASSERT_EQ(TMask(mask).Matches(name), expected) << mask.toStdString() << " vs " << name.toStdString();
    }
    // The sample must exercise both answers.
    EXPECT_GT(matches, 1000);
    EXPECT_LT(matches, 19000);
}

TEST(MaskTest, CopiesMatchLikeTheOriginal)
{
    TMask original("[a-c]*.txt");
    TMask copy(original);
    TMask assigned("x");
    assigned = original;
    EXPECT_TRUE(copy.Matches("b.TXT"));
    EXPECT_TRUE(assigned.Matches("b.TXT"));
    EXPECT_FALSE(assigned.Matches("x"));
}

TEST(AccountMaskTest, MatchesHostAndSharePathsAndKeepsCredentials)
{
    const TAccountMask pc("\\\\PC*", "john", "secret");
    EXPECT_TRUE(pc.Matches("\\\\pc01"));
    EXPECT_TRUE(pc.Matches("\\\\PC01\\docs"));
    EXPECT_EQ(pc.UserName, "john");
    EXPECT_EQ(pc.Password, "secret");

    const TAccountMask bare("PC*", "", "");
    EXPECT_FALSE(bare.Matches("\\\\pc01"));
    EXPECT_FALSE(bare.Matches("\\\\PC01\\docs"));

    // Plain mask semantics: only a-z fold.
    EXPECT_FALSE(TAccountMask("\\\\ÉCOLE", "", "").Matches("\\\\école"));
    EXPECT_TRUE(TAccountMask("\\\\ecole", "", "").Matches("\\\\ECOLE"));

    const TAccountMask empty("", "u", "p");
    EXPECT_TRUE(empty.Matches(""));
    EXPECT_FALSE(empty.Matches("\\\\HOST"));
}

TEST(ComputerMaskTest, IsAPlainMask)
{
    const TComputerMask mask("\\\\SRV-[0-9]?");
    EXPECT_TRUE(mask.Matches("\\\\srv-12"));
    EXPECT_FALSE(mask.Matches("\\\\srv-1"));
    EXPECT_THROW(TComputerMask("\\\\[srv"), EKestrovaError);
}

} // namespace
