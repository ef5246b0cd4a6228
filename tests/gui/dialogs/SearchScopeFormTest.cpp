#include "dialogs/SearchScopeForm.h"

#include "engine/ScopeRoot.h"
#include "support/DialogTestSupport.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Fake = FakeNetworkBrowser;

TNetResource Provider(const QString& name)
{
    TNetResource resource;
    resource.DisplayType = kResourceDisplayTypeNetwork;
    resource.Usage = kResourceUsageContainer;
    resource.RemoteName = name;
    return resource;
}

std::shared_ptr<Fake> SmallNetwork()
{
    auto browser = std::make_shared<Fake>();
    browser->add("", Provider("Microsoft Windows Network"));
    browser->add("Microsoft Windows Network", Fake::Domain("OFFICE"));
    browser->add("Microsoft Windows Network", Fake::Domain("LAB"));
    return browser;
}

QTreeWidgetItem* FindItem(QTreeWidget* tree, const QString& caption)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

class SearchScopeFormTest : public TDialogTest {
protected:
    // Presses Refresh and waits for the map.
    static void Build(TSearchScopeForm& form)
    {
        QSignalSpy finished(&form, &TSearchScopeForm::buildFinished);
        form.findChild<QPushButton*>("ButtonRefresh")->click();
        ASSERT_TRUE(finished.wait(5000));
    }

    TRecordingDialogPrompts prompts;
};

TEST_F(SearchScopeFormTest, OkBeforeRefreshAsksForAScope)
{
    TSearchScopeForm form(SmallNetwork());
    form.show();
    EXPECT_EQ(form.tree()->topLevelItemCount(), 0);
    form.accept();
    EXPECT_EQ(prompts.errors, QStringList({"Please specify search scope"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(SearchScopeFormTest, RefreshBuildsTheMapBelowEntireNetwork)
{
    TSearchScopeForm form(SmallNetwork());
    form.show();
    Build(form);
    ASSERT_EQ(form.tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* top = form.tree()->topLevelItem(0);
    EXPECT_EQ(top->text(0), "Entire Network");
    ASSERT_EQ(top->childCount(), 1);
    EXPECT_EQ(top->child(0)->text(0), "Microsoft Windows Network");
    EXPECT_EQ(top->child(0)->childCount(), 2);
    EXPECT_TRUE(top->child(0)->isExpanded());
    EXPECT_FALSE(top->icon(0).isNull());
    EXPECT_TRUE(form.findChild<QPushButton*>("okButton")->isEnabled());
}

TEST_F(SearchScopeFormTest, ChoosingEntireNetworkClearsTheRoot)
{
    auto browser = SmallNetwork();
    TScopeRoot root;
    const TNetResource previous = Fake::Domain("PREVIOUS");
    AssignScopeRoot(root, &previous);
    OnNextModal([](QDialog* dialog) {
        auto* form = qobject_cast<TSearchScopeForm*>(dialog);
        ASSERT_NE(form, nullptr);
        Build(*form);
        form->tree()->setCurrentItem(FindItem(form->tree(), "Entire Network"));
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TSearchScopeForm::Execute(nullptr, browser, root));
    EXPECT_FALSE(root.Assigned);
    EXPECT_EQ(root.Resource, TNetResource());
}

TEST_F(SearchScopeFormTest, ChoosingAWorkgroupGivesItsResource)
{
    auto browser = SmallNetwork();
    TScopeRoot root;
    OnNextModal([](QDialog* dialog) {
        auto* form = qobject_cast<TSearchScopeForm*>(dialog);
        ASSERT_NE(form, nullptr);
        Build(*form);
        form->tree()->setCurrentItem(FindItem(form->tree(), "LAB"));
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TSearchScopeForm::Execute(nullptr, browser, root));
    EXPECT_TRUE(root.Assigned);
    EXPECT_EQ(root.Resource, Fake::Domain("LAB"));

    // Cancel leaves the root as it was.
    OnNextModal([](QDialog* dialog) {
        auto* form = qobject_cast<TSearchScopeForm*>(dialog);
        Build(*form);
        form->tree()->setCurrentItem(FindItem(form->tree(), "OFFICE"));
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_FALSE(TSearchScopeForm::Execute(nullptr, browser, root));
    EXPECT_EQ(root.Resource.RemoteName, "LAB");
}

TEST_F(SearchScopeFormTest, RefreshingAgainRebuildsFromScratch)
{
    auto browser = SmallNetwork();
    TSearchScopeForm form(browser);
    form.show();
    Build(form);
    browser->add("Microsoft Windows Network", Fake::Domain("NEW"));
    Build(form);
    ASSERT_EQ(form.tree()->topLevelItemCount(), 1);
    ASSERT_EQ(form.tree()->topLevelItem(0)->childCount(), 1);
    QTreeWidgetItem* network = form.tree()->topLevelItem(0)->child(0);
    ASSERT_EQ(network->childCount(), 3);
    EXPECT_EQ(network->child(2)->text(0), "NEW");
    form.tree()->setCurrentItem(network->child(2));
    form.accept();
    ASSERT_TRUE(form.chosenRoot().has_value());
    EXPECT_EQ(form.chosenRoot()->RemoteName, "NEW");
}

// A network whose every browse step takes a while: 20 workgroups listed one per step.
// The browser counts the steps begun and those under way.
struct SlowNetwork {
    SlowNetwork()
    {
        browser->setBatchSize(1);
        for (int i = 0; i < 20; ++i)
            browser->add("Microsoft Windows Network", Fake::Domain(QStringLiteral("GROUP%1").arg(i)));
        browser->onNext([this](const QString&) {
            ++begun;
            ++underWay;
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            --underWay;
        });
    }
    // Waits until the build is inside a browse step.
    bool waitForAStep()
    {
        for (int i = 0; i < 500 && begun == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return begun > 0;
    }

    std::shared_ptr<Fake> browser = SmallNetwork();
    std::atomic<int> begun{0};
    std::atomic<int> underWay{0};
};

// Closing during a build: the window stays usable and OK waits for the map meanwhile;
// the close stops the build and returns once its thread has ended, and nothing of
// the build runs or reaches the window afterwards.
TEST_F(SearchScopeFormTest, ClosingDuringABuildStopsItAndNothingRunsAfterwards)
{
    SlowNetwork network;
    auto form = std::make_unique<TSearchScopeForm>(network.browser);
    QSignalSpy finished(form.get(), &TSearchScopeForm::buildFinished);
    form->show();
    form->refresh();
    ASSERT_TRUE(network.waitForAStep());
    EXPECT_TRUE(form->isBuilding());
    EXPECT_FALSE(form->findChild<QPushButton*>("okButton")->isEnabled());
    form->accept(); // ignored while building
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(prompts.errors.isEmpty());

    form->reject();
    EXPECT_FALSE(form->isBuilding());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(network.underWay, 0);
    EXPECT_EQ(network.browser.use_count(), 2); // the window's own reference only
    const int begun = network.begun;
    EXPECT_LT(begun, 20);
    QTest::qWait(200); // the build's late notice is dropped
    EXPECT_EQ(network.begun, begun);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(form->tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(form->findChild<QPushButton*>("ButtonRefresh")->isEnabled());

    form.reset();
    EXPECT_EQ(network.browser.use_count(), 1);
}

// The same when the window is destroyed without being closed first.
TEST_F(SearchScopeFormTest, DestroyingTheWindowDuringABuildWaitsForItsThread)
{
    SlowNetwork network;
    auto form = std::make_unique<TSearchScopeForm>(network.browser);
    form->show();
    form->refresh();
    ASSERT_TRUE(network.waitForAStep());

    form.reset();
    EXPECT_EQ(network.underWay, 0);
    EXPECT_EQ(network.browser.use_count(), 1);
    const int begun = network.begun;
    QTest::qWait(200);
    EXPECT_EQ(network.begun, begun);
    EXPECT_LT(begun, 20);
}

// A build stopped by a close and a new one started: only the new map arrives.
TEST_F(SearchScopeFormTest, ARefreshAfterAStoppedBuildShowsTheNewMap)
{
    SlowNetwork network;
    TSearchScopeForm form(network.browser);
    QSignalSpy finished(&form, &TSearchScopeForm::buildFinished);
    form.show();
    form.refresh();
    ASSERT_TRUE(network.waitForAStep());
    form.reject();
    network.browser->onNext({});
    form.show();
    form.refresh();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(form.tree()->topLevelItemCount(), 1);
    ASSERT_EQ(form.tree()->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(form.tree()->topLevelItem(0)->child(0)->childCount(), 22);
}

} // namespace
