#include "update/OnlineVersionCheck.h"

#include "support/GuiTestApplication.h"
#include "support/HttpTestServer.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"

#include <QAction>
#include <QJsonArray>
#include <QWidget>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kVersionPath = QStringLiteral("/products/kestrova/version.txt");
const QString kRemoteError = QStringLiteral("Unable to read remote version information: ");
constexpr double kToday = 45000.5; // noon of day 45000

struct RecordingWindows : TUpdateCheckWindows {
    void showWait(QWidget*, const QString& text) override
    {
        waits.append(text);
        ++waitsOpen;
    }
    void hideWait() override { --waitsOpen; }
    void showUpdateFound(QWidget*, const TUpdateCheckTexts&, const TUpdateFound& value) override
    {
        found.push_back(value);
    }
    bool askProxyCredentials(QWidget*, const TUpdateCheckTexts&, const QString& proxy, QString& user,
                             QString& password) override
    {
        proxies.append(proxy);
        if (credentials.empty())
            return false;
        user = credentials.front().first;
        password = credentials.front().second;
        credentials.pop_front();
        return true;
    }

    QStringList waits;
    int waitsOpen = 0;
    std::vector<TUpdateFound> found;
    QStringList proxies;
    std::deque<std::pair<QString, QString>> credentials;
};

class OnlineVersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }

    // A server answering the version file with body (or the whole script given).
    void serve(const QJsonObject& script, const QString& address = QStringLiteral("127.0.5.1"))
    {
        QString why;
        server = HttpTestServer::start(address, script, why);
        if (!server) {
            if (HttpTestServer::unavailable())
                GTEST_SKIP() << why.toStdString();
            FAIL() << why.toStdString();
        }
    }
    void serveVersion(const QString& body) { serve(HttpRouteScript(kVersionPath, body)); }

    // A check of the server's version file, local version 9.0.1, today kToday.
    std::unique_ptr<TOnlineVersionCheck> makeCheck(const QString& site)
    {
        settings.VersionFileAddress = site + kVersionPath;
        auto check = std::make_unique<TOnlineVersionCheck>(settings);
        check->setWindows(&windows);
        check->setLocalVersion(QStringLiteral("9.0.1"));
        check->setClock([] { return kToday; });
        check->download().setProxy(QNetworkProxy::NoProxy);
        check->download().setTimeoutMs(10000);
        return check;
    }
    std::unique_ptr<TOnlineVersionCheck> makeCheck() { return makeCheck(server->origin()); }

    std::unique_ptr<HttpTestServer> server;
    TAutoUpdateSettings settings{true, false, 45000, {}};
    RecordingWindows windows;
    RecordingMessageBoxes boxes;
};

TEST_F(OnlineVersionCheckTest, SameVersionSaysSoAfterAFreshUncachedGet)
{
    serveVersion(QStringLiteral("9.0.1\r\n"));
    auto check = makeCheck();

    EXPECT_TRUE(check->CheckNow(false));
    EXPECT_TRUE(check->CheckNow(false));

    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("No new version is available at this time. You are using the latest version."));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Kestrova"));
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Information);
    EXPECT_TRUE(windows.found.empty());
    // Both checks went to the server: nothing was answered from a cache.
    const QJsonArray requests = server->requests();
    ASSERT_EQ(requests.size(), 2);
    for (const auto& value : requests) {
        const QJsonObject request = value.toObject();
        const QJsonObject headers = request[QStringLiteral("headers")].toObject();
        EXPECT_EQ(request[QStringLiteral("method")].toString(), QStringLiteral("GET"));
        EXPECT_EQ(request[QStringLiteral("target")].toString(), kVersionPath);
        EXPECT_EQ(headers[QStringLiteral("Cache-Control")].toString(), QStringLiteral("no-cache"));
        EXPECT_EQ(headers[QStringLiteral("Pragma")].toString(), QStringLiteral("no-cache"));
    }
}

TEST_F(OnlineVersionCheckTest, AnyOtherVersionOpensTheResultWindowEvenAnOlderOne)
{
    serveVersion(QStringLiteral("9.0.0"));
    auto check = makeCheck();

    EXPECT_TRUE(check->CheckNow(true));

    ASSERT_EQ(windows.found.size(), 1u);
    EXPECT_EQ(windows.found[0].localVersion, QStringLiteral("9.0.1"));
    EXPECT_EQ(windows.found[0].remoteVersion, QStringLiteral("9.0.0"));
    EXPECT_EQ(windows.found[0].programTitle, QStringLiteral("Kestrova"));
    EXPECT_EQ(windows.found[0].downloadPageUrl, server->origin() + QStringLiteral("/products/kestrova/"));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(OnlineVersionCheckTest, UnreadableAnswersAreRemoteErrorsInAnErrorBox)
{
    QJsonObject routes{
        {kVersionPath, QJsonObject{{QStringLiteral("body"), QStringLiteral("9.0.1 beta")}}},
        {QStringLiteral("/empty/products/kestrova/version.txt"),
         QJsonObject{{QStringLiteral("body"), QString()}}},
    };
    serve(QJsonObject{{QStringLiteral("routes"), routes}});

    EXPECT_FALSE(makeCheck()->CheckNow(false));
    EXPECT_FALSE(makeCheck(server->origin() + QStringLiteral("/empty"))->CheckNow(false));
    // No route: the server's 404 page is read like any answer.
    EXPECT_FALSE(makeCheck(server->origin() + QStringLiteral("/missing"))->CheckNow(false));

    EXPECT_EQ(
        boxes.texts(),
        QStringList(
            {kRemoteError + QStringLiteral("The server has returned an unrecognized answer: 9.0.1 beta"),
             kRemoteError + QStringLiteral("The server has returned no data"),
             kRemoteError +
                 QStringLiteral("The server has returned an unrecognized answer: <html><body>Not ")}));
    for (const TMessageBoxRequest& box : boxes.shown) {
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.caption, QStringLiteral("Error"));
    }
    EXPECT_TRUE(windows.found.empty());
}

TEST_F(OnlineVersionCheckTest, NoServerGivesTheConnectMessageAndASilentCheckShowsNothing)
{
    // Nothing listens on this loopback address: the connection is refused at once.
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));

    EXPECT_FALSE(check->CheckNow(true));
    EXPECT_TRUE(boxes.shown.isEmpty());

    EXPECT_FALSE(check->CheckNow(false));
    EXPECT_EQ(boxes.texts(),
              QStringList{kRemoteError + QStringLiteral("The attempt to connect to the server failed.")});
}

TEST_F(OnlineVersionCheckTest, AServerThatNeverAnswersTimesOutAndTheWaitWindowCloses)
{
    serve(QJsonObject{{QStringLiteral("silent"), true}}, QStringLiteral("127.0.5.3"));
    auto check = makeCheck();
    check->download().setTimeoutMs(300);
    QWidget mainWindow;
    mainWindow.show();
    check->setMainWindow(&mainWindow);

    EXPECT_FALSE(check->CheckNow(false));

    EXPECT_EQ(boxes.texts(), QStringList{kRemoteError + QStringLiteral("The request has timed out.")});
    EXPECT_EQ(windows.waits, QStringList{QStringLiteral("Checking for Update ...")});
    EXPECT_EQ(windows.waitsOpen, 0);
}

TEST_F(OnlineVersionCheckTest, TheWaitWindowShowsOnlyOverAVisibleMainWindow)
{
    serveVersion(QStringLiteral("9.0.1"));
    auto check = makeCheck();
    QWidget mainWindow;
    check->setMainWindow(&mainWindow);

    EXPECT_TRUE(check->CheckNow(true));
    EXPECT_TRUE(windows.waits.isEmpty());

    mainWindow.show();
    EXPECT_TRUE(check->CheckNow(true));
    EXPECT_EQ(windows.waits.size(), 1);
    EXPECT_EQ(windows.waitsOpen, 0);
}

TEST_F(OnlineVersionCheckTest, AProxyAsksForCredentialsOnceAndPassesTheRequestOn)
{
    QJsonObject script = HttpRouteScript(kVersionPath, QStringLiteral("9.2"));
    script[QStringLiteral("proxy_credentials")] = QStringLiteral("anna:s3cret");
    serve(script, QStringLiteral("127.0.5.2"));
    // The site itself is a closed loopback port: only the proxy can answer.
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));
    check->download().setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, server->address(), server->port()));
    windows.credentials.push_back({QStringLiteral("anna"), QStringLiteral("s3cret")});

    EXPECT_TRUE(check->CheckNow(false));
    EXPECT_EQ(windows.proxies, QStringList{QStringLiteral("127.0.5.2:%1").arg(server->port())});
    ASSERT_EQ(windows.found.size(), 1u);
    EXPECT_EQ(windows.found[0].remoteVersion, QStringLiteral("9.2"));

    // The manager keeps accepted credentials: the next check asks no more.
    EXPECT_TRUE(check->CheckNow(false));
    EXPECT_EQ(windows.proxies.size(), 1);
    EXPECT_EQ(windows.found.size(), 2u);
}

TEST_F(OnlineVersionCheckTest, DecliningTheProxyCredentialsFailsWithItsOwnMessage)
{
    QJsonObject script = HttpRouteScript(kVersionPath, QStringLiteral("9.2"));
    script[QStringLiteral("proxy_credentials")] = QStringLiteral("anna:s3cret");
    serve(script, QStringLiteral("127.0.5.2"));
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));
    check->download().setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, server->address(), server->port()));

    EXPECT_FALSE(check->CheckNow(false));

    EXPECT_EQ(windows.proxies.size(), 1);
    EXPECT_EQ(boxes.texts(),
              QStringList{kRemoteError + QStringLiteral("No proxy user name and password specified")});
}

TEST_F(OnlineVersionCheckTest, AutomaticChecksComeAfterMoreThanSevenWholeDaysEitherWay)
{
    serveVersion(QStringLiteral("9.0.1"));
    auto check = makeCheck();
    settings.AutoCheckEnabled = true;

    settings.LastAutoCheckDate = 45000 - 7; // 7.5 days back
    check->AutoCheck();
    EXPECT_EQ(server->requests().size(), 0);
    EXPECT_EQ(settings.LastAutoCheckDate, 45000 - 7);

    settings.LastAutoCheckDate = 45000 - 8; // 8.5 days back
    check->AutoCheck();
    EXPECT_EQ(server->requests().size(), 1);
    EXPECT_EQ(settings.LastAutoCheckDate, 45000);

    settings.LastAutoCheckDate = 45000 + 9; // a clock set back: 8.5 days ahead
    check->AutoCheck();
    EXPECT_EQ(server->requests().size(), 2);
    EXPECT_EQ(settings.LastAutoCheckDate, 45000);

    settings.AutoCheckEnabled = false;
    settings.LastAutoCheckDate = 40000;
    check->AutoCheck();
    EXPECT_EQ(server->requests().size(), 2);
    // Same version, silent: no box at all.
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(OnlineVersionCheckTest, AFailedAutomaticCheckKeepsTheDateAndShowsNothing)
{
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));
    settings.AutoCheckEnabled = true;
    settings.LastAutoCheckDate = 44000;

    check->AutoCheck();

    EXPECT_EQ(settings.LastAutoCheckDate, 44000);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(OnlineVersionCheckTest, TheFirstStartQuestionComesOnceAndSetsTheMenuItem)
{
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));
    QAction autoCheckItem;
    autoCheckItem.setCheckable(true);
    boxes.answers.push_back(QMessageBox::Yes);

    check->AskForAutoCheck(&autoCheckItem);

    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text,
              QStringLiteral("Would you like to check for new versions of Kestrova automatically?"));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Kestrova"));
    EXPECT_EQ(boxes.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(settings.AutoCheckEnabled);
    EXPECT_TRUE(autoCheckItem.isChecked());
    EXPECT_FALSE(settings.QueryForAutoCheck);

    check->AskForAutoCheck(&autoCheckItem);
    EXPECT_EQ(boxes.shown.size(), 1);
}

TEST_F(OnlineVersionCheckTest, AnsweringNoTurnsAutomaticChecksOff)
{
    auto check = makeCheck(QStringLiteral("http://127.0.5.9:9"));
    settings.AutoCheckEnabled = true;
    QAction autoCheckItem;
    autoCheckItem.setCheckable(true);
    autoCheckItem.setChecked(true);
    boxes.answers.push_back(QMessageBox::No);

    check->AskForAutoCheck(&autoCheckItem);

    EXPECT_FALSE(settings.AutoCheckEnabled);
    EXPECT_FALSE(autoCheckItem.isChecked());
    EXPECT_FALSE(settings.QueryForAutoCheck);
}

TEST_F(OnlineVersionCheckTest, WithoutAnAddressThereIsNoQuestionNoDownloadAndAManualCheckSaysSo)
{
    serveVersion(QStringLiteral("9.2"));
    auto check = makeCheck();
    settings.VersionFileAddress.clear();
    settings.AutoCheckEnabled = true;
    settings.LastAutoCheckDate = 40000; // long overdue
    EXPECT_FALSE(check->hasSource());

    check->AskForAutoCheck();
    check->AutoCheck();
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_TRUE(settings.QueryForAutoCheck); // still to be asked once a source is set
    EXPECT_FALSE(check->CheckNow(false));
    EXPECT_EQ(server->requests().size(), 0);
    EXPECT_TRUE(windows.waits.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, check->Texts.NoUpdateSource);

    // Set, it is read at the next check.
    settings.VersionFileAddress = server->origin() + kVersionPath;
    EXPECT_TRUE(check->CheckNow(false));
    EXPECT_EQ(server->requests().size(), 1);
}

TEST_F(OnlineVersionCheckTest, TheDownloadPageIsTheVersionFilesFolder)
{
    EXPECT_EQ(
        TOnlineVersionCheck::DownloadPageAddress(QStringLiteral("https://example.test/kestrova/version.txt")),
        QStringLiteral("https://example.test/kestrova/"));
    EXPECT_EQ(TOnlineVersionCheck::DownloadPageAddress(QStringLiteral("http://127.0.0.1:8080/v.txt?x=1")),
              QStringLiteral("http://127.0.0.1:8080/"));
}

} // namespace
