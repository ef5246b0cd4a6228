#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "update/ProxyCredentialsDialog.h"
#include "update/UpdateCheckWindows.h"
#include "update/UpdateFoundDialog.h"
#include "update/WaitWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class UpdateWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }

    TUpdateCheckTexts texts;
    TUpdateFound found{QStringLiteral("Kestrova"), QStringLiteral("9.0.1"), QStringLiteral("9.2"),
                       QStringLiteral("http://127.0.5.1/products/kestrova/?from=au")};
};

TEST_F(UpdateWindowsTest, TheResultWindowNamesBothVersionsInBold)
{
    TUpdateFoundDialog dialog(texts, found);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Update Found"));
    EXPECT_EQ(dialog.size(), QSize(300, 190));
    EXPECT_EQ(dialog.messageLabel()->text(), QStringLiteral("New version of Kestrova is available!\n\n"
                                                            "Your version: 9.0.1\nNew version: 9.2"));
    EXPECT_TRUE(dialog.messageLabel()->font().bold());
    EXPECT_TRUE(dialog.messageLabel()->wordWrap());
    EXPECT_EQ(dialog.downloadButton()->text(), QStringLiteral("&Download Now"));
    EXPECT_EQ(dialog.downloadButton()->geometry(), QRect(30, 100, dialog.groupBox()->width() - 60, 25));
}

TEST_F(UpdateWindowsTest, DownloadNowOpensTheDownloadPageAndClosesTheWindow)
{
    TUpdateFoundDialog dialog(texts, found);
    QList<QUrl> opened;
    dialog.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    dialog.show();

    QTest::mouseClick(dialog.downloadButton(), Qt::LeftButton);

    EXPECT_EQ(opened, QList<QUrl>{QUrl(found.downloadPageUrl)});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(UpdateWindowsTest, TheWaitWindowBlocksTheOtherWindowsWhileItShows)
{
    QWidget mainWindow;
    mainWindow.show();
    TWidgetUpdateCheckWindows windows;

    windows.showWait(&mainWindow, QStringLiteral("Checking for Update ..."));

    auto* wait = qobject_cast<TWaitWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(wait, nullptr);
    EXPECT_TRUE(wait->isVisible());
    EXPECT_EQ(wait->text(), QStringLiteral("Checking for Update ..."));
    EXPECT_EQ(wait->size(), QSize(200, 60));
    EXPECT_TRUE(wait->windowFlags().testFlag(Qt::FramelessWindowHint));

    windows.hideWait();
    EXPECT_FALSE(wait->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(UpdateWindowsTest, TheCredentialsPromptWantsAUserName)
{
    TProxyCredentialsDialog dialog(texts, QStringLiteral("127.0.5.2:3128"));
    QPushButton* ok = dialog.buttons()->button(QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Proxy Authentication"));
    EXPECT_FALSE(ok->isEnabled());

    dialog.show();
    QTest::keyClicks(dialog.userEdit(), QStringLiteral("anna"));
    QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("s3cret"));

    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.user(), QStringLiteral("anna"));
    EXPECT_EQ(dialog.password(), QStringLiteral("s3cret"));
}

} // namespace
