#include "dialogs/AboutBox.h"

#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(AboutBoxTest, ShowsTheBuildsVersionAndOpensTheVendorsPages)
{
    EnsureGuiApplication();
    TAboutBox box(QStringLiteral("http://127.0.5.1:8080"));
    QList<QUrl> opened;
    box.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });

    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Kestrova"));
    EXPECT_EQ(box.versionLabel()->text(), QStringLiteral("Version %1.%2 Release %3")
                                              .arg(KESTROVA_VERSION_MAJOR)
                                              .arg(KESTROVA_VERSION_MINOR)
                                              .arg(KESTROVA_VERSION_RELEASE));
    EXPECT_TRUE(box.linksLabel()->text().contains(QStringLiteral("href=\"http://127.0.5.1:8080/\"")));
    EXPECT_TRUE(box.linksLabel()->text().contains(QStringLiteral("href=\"http://127.0.5.1:8080/support/\"")));

    Q_EMIT box.linksLabel()->linkActivated(QStringLiteral("http://127.0.5.1:8080/"));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.5.1:8080/"))});

    box.show();
    QTest::mouseClick(box.okButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
