#include "app/ManualWindow.h"

#include "app/Commands.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "support/ShotFiles.h"

#include <QAction>
#include <QFile>
#include <QTextBrowser>

namespace {

// The manual this build wrote (packaging/make-manual.py) beside the program.
const QString kBuildManual = QStringLiteral(KESTROVA_BINARY_DIR "/manual/index.html");

class ManualWindowTest : public MainWindowFixture {
protected:
    void TearDown() override
    {
        qunsetenv("KESTROVA_MANUAL");
        MainWindowFixture::TearDown();
    }

    RecordingMessageBoxes boxes;
};

TEST_F(ManualWindowTest, TheBuildsManualHoldsTheReadmeAndTheManPagesSources)
{
    ASSERT_TRUE(QFile::exists(kBuildManual)) << "build the kestrova_install_files target";
    TManualWindow* manual = ShowManualWindow(nullptr, kBuildManual);
    ASSERT_NE(manual, nullptr);
    const QString text = manual->browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("The two commands"))); // a README heading
    EXPECT_TRUE(text.contains(QStringLiteral("/exportcsv:FILE")));  // --help
    EXPECT_TRUE(text.contains(QStringLiteral("Usage: kestrova [switch ...]")));
    EXPECT_TRUE(text.contains(QStringLiteral("$XDG_CONFIG_HOME/kestrova/kestrova.ini"))); // kestrova.h2m
    EXPECT_TRUE(boxes.shown.isEmpty());

    // Asking again raises the same window.
    EXPECT_EQ(ShowManualWindow(nullptr, kBuildManual), manual);
    delete manual;
}

TEST_F(ManualWindowTest, AMissingManualIsAnErrorBoxAndNoWindow)
{
    EXPECT_EQ(ShowManualWindow(window.get(), folder.file(QStringLiteral("none/index.html"))), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("The manual of this program")));
    EXPECT_EQ(window->findChild<TManualWindow*>(), nullptr);
}

TEST_F(ManualWindowTest, HelpAndF1OpenTheShippedManualOverTheMainWindow)
{
    ASSERT_TRUE(QFile::exists(kBuildManual));
    qputenv("KESTROVA_MANUAL", QFile::encodeName(kBuildManual));
    QAction* help = window->action(TCommand::Help);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    window->show();
    window->activateWindow();
    help->trigger();

    auto* manual = window->findChild<TManualWindow*>();
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    EXPECT_TRUE(manual->isWindow());
    EXPECT_EQ(manual->windowTitle(), QStringLiteral("Kestrova Help"));
    EXPECT_EQ(manual->browser()->source(), QUrl::fromLocalFile(kBuildManual));
    EXPECT_TRUE(boxes.shown.isEmpty());
    SaveShotIfAsked(manual, QStringLiteral("help"));

    // A second Help reuses it; the window closes with the main window.
    help->trigger();
    EXPECT_EQ(window->findChildren<TManualWindow*>().size(), 1);
}

} // namespace
