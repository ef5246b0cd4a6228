#include "app/DialogCommands.h"

#include "accounts/AccountList.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "dialogs/AccountsManagementForm.h"
#include "dialogs/ConfigForm.h"
#include "dialogs/RadioGroup.h"
#include "dialogs/SearchScopeForm.h"
#include "dialogs/TextOptionsForm.h"
#include "engine/ScopeRoot.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/DialogTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

namespace {

class DialogCommandsTest : public MainWindowFixture {
protected:
    // Starts a search with the mask and waits until it has ended; the configuration
    // it started with.
    TThreadConfig searchWith(const QString& mask)
    {
        const size_t before = engine->configs.size();
        typeAndEnter(window->maskBox(), mask);
        EXPECT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
        EXPECT_EQ(engine->configs.size(), before + 1);
        return engine->configs.empty() ? TThreadConfig() : engine->configs.back();
    }

    // Triggers the command; action answers the dialog it opens.
    void run(TCommand command, std::function<void(QDialog*)> action)
    {
        bool answered = false;
        OnNextModal([&answered, action = std::move(action)](QDialog* dialog) {
            answered = true;
            action(dialog);
        });
        window->action(command)->trigger();
        EXPECT_TRUE(answered) << "no dialog opened";
    }

    TRecordingDialogPrompts dialogPrompts;
};

template <typename T> T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

std::shared_ptr<FakeNetworkBrowser> Workgroups()
{
    auto browser = std::make_shared<FakeNetworkBrowser>();
    TNetResource provider;
    provider.DisplayType = kResourceDisplayTypeNetwork;
    provider.Usage = kResourceUsageContainer;
    provider.RemoteName = QStringLiteral("Windows Network");
    browser->add(QString(), provider);
    browser->add(provider.RemoteName, FakeNetworkBrowser::Domain("OFFICE"));
    browser->add(provider.RemoteName, FakeNetworkBrowser::Domain("LAB"));
    return browser;
}

// Refreshes the scope browser, selects the node captioned caption and presses OK.
void ChooseScope(QDialog* dialog, const QString& caption)
{
    auto* form = qobject_cast<TSearchScopeForm*>(dialog);
    ASSERT_NE(form, nullptr);
    QSignalSpy finished(form, &TSearchScopeForm::buildFinished);
    form->refresh();
    ASSERT_TRUE(finished.wait(5000));
    const QList<QTreeWidgetItem*> found =
        form->tree()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << caption.toStdString();
    form->tree()->setCurrentItem(found.first());
    ClickButton(dialog, "okButton");
}

TEST_F(DialogCommandsTest, EachCommandOpensItsDialogOverTheWindow)
{
    struct Expected {
        TCommand command;
        const char* className;
        QString title;
    };
    const Expected expected[] = {
        {TCommand::SearchScope, "TSearchScopeForm", "Search Scope"},
        {TCommand::Config, "TConfigForm", "Options"},
        {TCommand::TextSearchOptions, "TTextOptionsForm", "Text Search Options"},
        {TCommand::PasswordManagement, "TAccountsManagementForm", "Password Management"},
    };
    for (const Expected& entry : expected) {
        SCOPED_TRACE(entry.className);
        QString className;
        QString title;
        QWidget* owner = nullptr;
        run(entry.command, [&](QDialog* dialog) {
            className = QString::fromLatin1(dialog->metaObject()->className());
            title = dialog->windowTitle();
            owner = dialog->parentWidget();
            ClickButton(dialog, "cancelButton");
        });
        EXPECT_EQ(className, QString::fromLatin1(entry.className));
        EXPECT_EQ(title, entry.title);
        EXPECT_EQ(owner, window.get());
    }
    // None of them fell through to the note of a command without a window.
    EXPECT_TRUE(prompts.infos.isEmpty());
    EXPECT_TRUE(prompts.errors.isEmpty());
    // Cancel changed nothing the window shows.
    EXPECT_EQ(window->panelText(3), "Entire Network");
    EXPECT_FALSE(window->scopeRoot().Assigned);
}

TEST_F(DialogCommandsTest, OptionsTakeEffectInTheWindowAndTheNextSearchOnOkOnly)
{
    ASSERT_TRUE(window->contentToolBar()->isHidden());
    ASSERT_TRUE(window->resultsView()->showGrid());

    run(TCommand::Config, [](QDialog* dialog) {
        Child<QCheckBox>(dialog, "cbEnableTextSearch")->setChecked(true);
        Child<QSpinBox>(dialog, "edMaxThreads")->setValue(3);
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_TRUE(window->contentToolBar()->isHidden());
    EXPECT_FALSE(window->settings().Settings.EnableTextSearch);
    EXPECT_EQ(window->settings().Settings.MaxThreads, 10);

    dialogPrompts.inputAnswers = {QStringLiteral("pc1")};
    run(TCommand::Config, [](QDialog* dialog) {
        auto* form = qobject_cast<TConfigForm*>(dialog);
        ASSERT_NE(form, nullptr);
        Child<QCheckBox>(dialog, "cbEnableTextSearch")->setChecked(true);
        Child<QCheckBox>(dialog, "cbDrawGrid")->setChecked(false);
        Child<QSpinBox>(dialog, "edMaxThreads")->setValue(3);
        form->searchType()->setItemIndex(2);
        form->addResource();
        ClickButton(dialog, "okButton");
    });
    EXPECT_EQ(dialogPrompts.inputs, QStringList({"Add computer|Enter a computer name|"}));
    EXPECT_FALSE(window->contentToolBar()->isHidden());
    EXPECT_FALSE(window->resultsView()->showGrid());

    const TThreadConfig config = searchWith(QStringLiteral("*.doc"));
    EXPECT_EQ(config.SearchMethod, TSearchType::SpecifiedComputers);
    EXPECT_EQ(config.ResList, "\\\\PC1");
    EXPECT_EQ(config.MaxThreads, 3);
}

TEST_F(DialogCommandsTest, TextSearchOptionsReachTheNextSearch)
{
    run(TCommand::TextSearchOptions, [](QDialog* dialog) {
        Child<TRadioGroup>(dialog, "rgKeywords")->setItemIndex(0);
        Child<TRadioGroup>(dialog, "rgEncoding")->setItemIndex(2);
        ClickButton(dialog, "okButton");
    });
    TThreadConfig config = searchWith(QStringLiteral("*.txt"));
    EXPECT_EQ(config.Logic, TTextLogic::All);
    EXPECT_EQ(config.Encoding, TTextEncoding::Utf8);

    run(TCommand::TextSearchOptions, [](QDialog* dialog) {
        Child<TRadioGroup>(dialog, "rgKeywords")->setItemIndex(2);
        ClickButton(dialog, "cancelButton");
    });
    config = searchWith(QStringLiteral("*.txt"));
    EXPECT_EQ(config.Logic, TTextLogic::All);
}

TEST_F(DialogCommandsTest, TheChosenScopeBecomesTheRootAndShowsInThePanel)
{
    auto browser = Workgroups();
    InstallDialogCommands(*window, browser);

    run(TCommand::SearchScope, [](QDialog* dialog) { ChooseScope(dialog, QStringLiteral("LAB")); });
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(window->panelText(3), "LAB");
    ASSERT_TRUE(window->scopeRoot().Assigned);
    EXPECT_EQ(window->scopeRoot().Resource, FakeNetworkBrowser::Domain("LAB"));

    // Cancel keeps the root; the browser made for the command is used again.
    run(TCommand::SearchScope, [](QDialog* dialog) { ClickButton(dialog, "cancelButton"); });
    EXPECT_EQ(window->panelText(3), "LAB");
    EXPECT_EQ(window->scopeRoot().Resource.RemoteName, "LAB");

    // Re-applying the view settings (as after Options) keeps showing the root.
    window->applyViewSettings();
    EXPECT_EQ(window->panelText(3), "LAB");

    run(TCommand::SearchScope,
        [](QDialog* dialog) { ChooseScope(dialog, QStringLiteral("Entire Network")); });
    EXPECT_EQ(window->panelText(3), "Entire Network");
    EXPECT_FALSE(window->scopeRoot().Assigned);
    const std::vector<QString> opened = browser->openedContainers();
    EXPECT_EQ(std::count(opened.begin(), opened.end(), QString()), 2);
}

TEST_F(DialogCommandsTest, AccountsAddedInPasswordManagementAreSavedWithTheSettings)
{
    run(TCommand::PasswordManagement, [](QDialog* dialog) {
        OnNextModal([](QDialog* account) {
            Child<QLineEdit>(account, "edCompName")->setText(QStringLiteral("fileserv"));
            Child<QLineEdit>(account, "edUserName")->setText(QStringLiteral("anna"));
            Child<QLineEdit>(account, "edPasswd1")->setText(QStringLiteral("s3cret"));
            Child<QLineEdit>(account, "edPasswd2")->setText(QStringLiteral("s3cret"));
            ClickButton(account, "okButton");
        });
        ClickButton(dialog, "addButton");
        // Cancel only closes: the account is already in the list.
        ClickButton(dialog, "cancelButton");
    });
    ASSERT_EQ(window->settings().Accounts.Count(), 1);
    EXPECT_EQ(window->settings().Accounts.Get(0).Computer, "\\\\fileserv");

    destroyWindow(); // writes the settings file
    createWindow();  // a new window reads it
    ASSERT_EQ(window->settings().Accounts.Count(), 1);
    const TUnicodeAccount stored = window->settings().Accounts.Get(0);
    EXPECT_EQ(stored.Computer, "\\\\fileserv");
    EXPECT_EQ(stored.UserName, "anna");
    EXPECT_EQ(stored.Password, "s3cret");
}

} // namespace
