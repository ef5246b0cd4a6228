#include "support/MainWindowFixture.h"

#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

void MainWindowFixture::SetUp()
{
    EnsureGuiApplication();
    settingsPath = folder.file("kestrova.ini");
    dispatcher = std::make_unique<TQtMainThreadDispatcher>();
    engine = std::make_unique<TScriptedSearchEngine>(*dispatcher);
    createWindow();
}

void MainWindowFixture::TearDown()
{
    if (window && window->searchControl().running()) {
        engine->requestStop();
        processUntil([&] { return !window->searchControl().running(); });
    }
    destroyWindow();
    engine.reset();
    dispatcher.reset();
}

void MainWindowFixture::createWindow()
{
    destroyWindow();
    window = std::make_unique<TMainWindow>(TMainWindow::Options{settingsPath, engine.get()});
    engine->deliver = [this](const TItemRecord& hit) {
        TItemRecord record = hit;
        record.ImageIndex = window->iconCache().indexFor(hit);
        window->resultsModel().appendHit(record);
    };
}

void MainWindowFixture::destroyWindow()
{
    engine->join();
    window.reset();
}

bool MainWindowFixture::processUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

void MainWindowFixture::typeAndEnter(QComboBox* box, const QString& text)
{
    // The keys go to the box, as a user's keys do: an editable combo box keeps the focus
    // and passes them on to its line edit itself.
    box->lineEdit()->clear();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

std::vector<TItemRecord> MainWindowFixture::ShareHits(int count)
{
    std::vector<TItemRecord> hits;
    for (int i = 1; i <= count; ++i)
        hits.push_back(
            MakeItemRecord(QStringLiteral("\\\\PC1\\share\\file%1.txt").arg(i), 0x20, -1, 45000.5, i * 100));
    return hits;
}
