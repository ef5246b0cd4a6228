#include "app/ResultCopyTexts.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/ShellFunctions.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace {

class CopyUrlMenuTest : public MainWindowFixture {
protected:
    // No session bus: "Open Folder" must take the xdg-open way.
    static void SetUpTestSuite()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kestrova-bus");
    }

    void SetUp() override
    {
        MainWindowFixture::SetUp();
        SetProgramStarter([this](const QString& program, const QStringList& arguments) {
            started.append(program + u' ' + arguments.join(u' '));
            return true;
        });
    }
    void TearDown() override
    {
        SetProgramStarter({});
        MainWindowFixture::TearDown();
    }

    void showOnly(const TItemRecord& hit)
    {
        window->resultsModel().replaceItems({hit});
        window->resultsView()->selectRow(0);
        Q_EMIT window->resultsView()->popupMenu()->aboutToShow();
    }

    QStringList started;
};

TEST(CopyTextsUrlTest, ShareFtpAndLocalNamesAndNoSelection)
{
    const TItemRecord share = MakeItemRecord("\\\\PC1\\docs\\Q&A #2\\n\xC3\xB6tes.txt", 0, -1, 0, 1);
    EXPECT_EQ(CopyTextsFor(&share).url, "smb://PC1/docs/Q%26A%20%232/n%C3%B6tes.txt");
    const TItemRecord ftp = MakeItemRecord("ftp://10.0.0.5/pub/a b.txt", 0, -1, 0, 1);
    EXPECT_EQ(CopyTextsFor(&ftp).url, "ftp://10.0.0.5/pub/a%20b.txt");
    const TItemRecord local = MakeItemRecord("/home/a.txt", 0, -1, 0, 1);
    EXPECT_EQ(CopyTextsFor(&local).url, "<empty>");
    EXPECT_EQ(CopyTextsFor(nullptr).url, "<empty>");
}

TEST_F(CopyUrlMenuTest, TheCopyPathMenuOffersTheSmbAddressRightAfterTheUncName)
{
    auto* copyPath = window->resultsView()->popupMenu()->findChild<QMenu*>("CopyPathMenu");
    ASSERT_NE(copyPath, nullptr);
    const QList<QAction*> actions = copyPath->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_EQ(actions[0], window->action(TCommand::CopyFullName));
    EXPECT_EQ(actions[1], window->action(TCommand::CopyUrl));

    showOnly(MakeItemRecord("\\\\PC1\\docs\\Q&A\\my notes.txt", 0, -1, 0, 1));
    EXPECT_EQ(window->action(TCommand::CopyFullName)->text(), "\\\\PC1\\docs\\Q&&A\\my notes.txt");
    EXPECT_EQ(window->action(TCommand::CopyUrl)->text(), "smb://PC1/docs/Q%26A/my%20notes.txt");
    window->action(TCommand::CopyUrl)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "smb://PC1/docs/Q%26A/my%20notes.txt");

    showOnly(MakeItemRecord("ftp://127.0.0.1/pub/r.txt", 0, -1, 0, 1));
    window->updateCommandAvailability();
    EXPECT_TRUE(window->action(TCommand::CopyUrl)->isEnabled()) << "an FTP hit has an address too";
    EXPECT_EQ(window->action(TCommand::CopyUrl)->text(), "ftp://127.0.0.1/pub/r.txt");
}

TEST_F(CopyUrlMenuTest, OpenFolderHandsTheFoldersSmbAddressToTheDesktop)
{
    showOnly(MakeItemRecord("\\\\PC1\\docs\\2024\\plan.txt", 0, -1, 0, 1));
    window->updateCommandAvailability();
    ASSERT_TRUE(window->action(TCommand::OpenFolder)->isEnabled());
    window->action(TCommand::OpenFolder)->trigger();
    EXPECT_EQ(started, QStringList({"xdg-open smb://PC1/docs/2024"}));
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(", ").toStdString();
}

} // namespace
