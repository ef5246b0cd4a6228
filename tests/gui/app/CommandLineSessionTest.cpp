#include "app/CommandLineSession.h"

#include "app/SearchControl.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QToolBar>

namespace {

using Kind = TCommandLine::ExportKind;

class CommandLineSessionTest : public MainWindowFixture {
protected:
    std::unique_ptr<TCommandLineSession> session(const QStringList& arguments)
    {
        return std::make_unique<TCommandLineSession>(TCommandLine(arguments), *window,
                                                     [this](Kind kind, const QString& fileName) {
                                                         written.append({kind, fileName});
                                                         return !fileName.contains("fail");
                                                     });
    }

    QList<std::pair<Kind, QString>> written;
};

TEST_F(CommandLineSessionTest, AMaskStartsOneSearchInLowerCaseWithoutTheCompletionMessage)
{
    engine->hits = ShareHits(2);
    auto run = session({"/MASK:*.TXT", "/range:127.0.4.2-127.0.4.3"});
    EXPECT_TRUE(run->applyStartSwitches());
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));

    ASSERT_EQ(engine->configs.size(), 1u);
    EXPECT_EQ(engine->configs[0].FileMasks, "*.txt");
    EXPECT_EQ(engine->configs[0].SearchMethod, TSearchType::IpAddressRange);
    EXPECT_EQ(engine->configs[0].ResList, "127.0.4.2-127.0.4.3");
    EXPECT_FALSE(window->settings().Settings.CompleteMessage);
    EXPECT_TRUE(prompts.infos.isEmpty());
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"*.txt"}));
}

TEST_F(CommandLineSessionTest, TextBeforeOrAfterTheMaskGivesTheSameSingleSearch)
{
    for (const QStringList& arguments :
         {QStringList{"/text:Secret", "/mask:*.doc"}, QStringList{"/mask:*.doc", "/text:Secret"}}) {
        engine->configs.clear();
        auto run = session(arguments);
        EXPECT_TRUE(run->applyStartSwitches());
        ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
        ASSERT_EQ(engine->configs.size(), 1u);
        EXPECT_EQ(engine->configs[0].FileMasks, "*.doc");
        EXPECT_EQ(engine->configs[0].SearchText, "secret");
        EXPECT_TRUE(engine->configs[0].EnableTextSearch);
        EXPECT_FALSE(window->contentToolBar()->isHidden());
    }
}

TEST_F(CommandLineSessionTest, RangeAloneChangesTheScopeButStartsNothing)
{
    window->settings().Settings.ResList = {"old", "older"};
    auto run = session({"/range:10.0.0.1-10.0.0.5", "/Range:10.1.0.1-10.1.0.5"});
    EXPECT_FALSE(run->applyStartSwitches());
    EXPECT_FALSE(window->searchControl().running());
    EXPECT_EQ(window->settings().Settings.SearchMethod, TSearchType::IpAddressRange);
    EXPECT_EQ(window->settings().Settings.ResList, QStringList({"10.1.0.1-10.1.0.5"}));
    EXPECT_FALSE(run->searchRefused());
}

TEST_F(CommandLineSessionTest, ATextWithoutAMaskIsRefusedLikeAnEmptyMask)
{
    auto run = session({"/text:abc"});
    EXPECT_FALSE(run->applyStartSwitches());
    EXPECT_TRUE(run->searchRefused());
    EXPECT_EQ(prompts.errors, QStringList({"No search mask is specified"}));
}

TEST_F(CommandLineSessionTest, EverySearchIsFollowedByTheExportsInOrderAndThenClose)
{
    engine->hits = ShareHits(1);
    auto run = session({"/exportcsv:out-%date%.csv", "/mask:*.txt", "/exportdat:r.dat", "/exporthtm:fail.htm",
                        "/exportxml:x.xml", "-CLOSE"});
    QSignalSpy terminate(run.get(), &TCommandLineSession::terminateRequested);
    EXPECT_TRUE(run->applyStartSwitches());
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));

    ASSERT_EQ(written.size(), 4);
    EXPECT_EQ(written[0].first, Kind::Csv);
    EXPECT_EQ(written[0].second, "out-" + QDate::currentDate().toString("yyyy-MM-dd") + ".csv");
    EXPECT_EQ(written[1], std::make_pair(Kind::Results, QString("r.dat")));
    EXPECT_EQ(written[2].first, Kind::Html);
    EXPECT_EQ(written[3].first, Kind::Xml);
    EXPECT_TRUE(run->exportFailed());
    EXPECT_EQ(terminate.count(), 1);

    // A search started by hand later gets the same exports.
    written.clear();
    typeAndEnter(window->maskBox(), "*.doc");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(written.size(), 4);
    EXPECT_EQ(terminate.count(), 2);
}

TEST_F(CommandLineSessionTest, WithoutCloseTheProgramIsNotAskedToEnd)
{
    engine->hits = ShareHits(1);
    auto run = session({"/mask:*.txt", "/exportcsv:a.csv", "/hide"});
    QSignalSpy terminate(run.get(), &TCommandLineSession::terminateRequested);
    run->applyStartSwitches();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(written.size(), 1);
    EXPECT_EQ(terminate.count(), 0);
    EXPECT_FALSE(run->exportFailed());
}

} // namespace
