#include "dialogs/SearchScopeForm.h"

#include "engine/ScopeRoot.h"
#include "support/DialogTestSupport.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

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

// A browse call that hangs: the window stays usable, OK waits for the map, and
// closing the window abandons the build without waiting for the network.
TEST_F(SearchScopeFormTest, ClosingDuringABuildDoesNotWaitForTheNetwork)
{
    auto browser = SmallNetwork();
    std::mutex lock;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
    browser->onNext([&](const QString&) {
        std::unique_lock<std::mutex> guard(lock);
        entered = true;
        changed.notify_all();
        changed.wait(guard, [&] { return released; });
    });
    auto form = std::make_unique<TSearchScopeForm>(browser);
    form->show();
    form->refresh();
    {
        std::unique_lock<std::mutex> guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(5), [&] { return entered; }));
    }
    EXPECT_TRUE(form->isBuilding());
    EXPECT_FALSE(form->findChild<QPushButton*>("okButton")->isEnabled());
    form->accept(); // ignored while building
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(prompts.errors.isEmpty());

    form->reject();
    EXPECT_FALSE(form->isBuilding());
    form.reset();
    {
        const std::lock_guard<std::mutex> guard(lock);
        released = true;
    }
    changed.notify_all();
    // The build thread lets go of the browser once it noticed the window is gone.
    for (int i = 0; i < 500 && browser.use_count() > 1; ++i)
        QTest::qWait(10);
    EXPECT_EQ(browser.use_count(), 1);
    EXPECT_EQ(browser->openedContainers(), std::vector<QString>({""}));
}

} // namespace
