// Delivers hits to the live results view the way search workers do: each worker thread
// puts every hit on its search session's pending list, and the main thread takes the
// pending hits in batches (icon indexes set, one row insertion per batch; the "batch"
// mode, the program's own). The "sync" mode is the earlier hand-over for comparison:
// each hit goes to the main thread alone and the worker waits until it was appended.
// Meanwhile a 10 ms timer on the main thread measures the longest gap between its
// ticks: how long the window could not react to anything.
//
//   kestrova-gui-bench [HITS] [WORKERS] [batch|sync]      (defaults 200000, 10, batch)
//
// Prints one line: hits, workers, seconds, hits per second, longest gap in ms.

#include "app/IconCache.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "engine/HitDelivery.h"
#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/SearchSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const char* const kExtensions[] = {"txt", "doc", "pdf", "png", "zip", "xls", "mp3", "html", "exe", "dat"};

TItemRecord Hit(int worker, int index)
{
    const QString name = QStringLiteral("\\\\HOST%1\\share\\folder%2\\file%3.%4")
                             .arg(worker)
                             .arg(index / 100)
                             .arg(index)
                             .arg(QString::fromLatin1(kExtensions[index % 10]));
    return MakeItemRecord(name, 0x20, -1, 45000.25 + index * 1e-5, 1000 + index);
}

// The window's side of the batched delivery: icons from the cache, rows into the model.
class ViewHitSink : public HitSink, public HitIconProvider {
public:
    ViewHitSink(TResultsModel& model, TIconCache& icons) : m_model(model), m_icons(icons) {}
    void AppendHits(const std::vector<TItemRecord>& hits) override { m_model.appendHits(hits); }
    int32_t IconIndex(const THitIconRequest& request) override
    {
        return m_icons.indexForName(request.path.section(u'\\', -1), request.isFolder);
    }

private:
    TResultsModel& m_model;
    TIconCache& m_icons;
};

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int hits = argc > 1 ? std::max(1, atoi(argv[1])) : 200000;
    const int workers = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const bool batched = argc <= 3 || qstrcmp(argv[3], "sync") != 0;

    TIconCache icons;
    TResultsModel model;
    model.setImageList(&icons.icons());
    TResultsView view(model);
    view.resize(900, 600);
    view.show();
    TQtMainThreadDispatcher dispatcher;
    ViewHitSink sink(model, icons);
    TSearchServices services;
    services.Session = std::make_shared<TSearchSession>();
    services.Dispatcher = &dispatcher;
    services.Hits = &sink;
    services.Icons = &sink;

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        if (model.rowCount() > 0)
            view.scrollToBottom(); // keep painting the newest rows, as a watching user would
    });

    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    for (int worker = 0; worker < workers; ++worker) {
        const int share = hits / workers + (worker < hits % workers ? 1 : 0);
        threads.emplace_back([&, worker, share] {
            for (int i = 0; i < share; ++i) {
                TItemRecord hit = Hit(worker, i); // built on the worker, as the walk does
                if (batched) {
                    QueueHit(services, hit);
                    continue;
                }
                dispatcher.synchronize([&] {
                    hit.ImageIndex = icons.indexFor(hit);
                    model.appendHit(hit);
                });
            }
            if (++finished == workers)
                // After every wake-up this thread posted, as a search's end handler runs.
                dispatcher.post([&] {
                    DeliverPendingHits(services);
                    QApplication::quit();
                });
        });
    }
    QApplication::exec();
    model.flushRowCount();
    const double seconds = clock.nsecsElapsed() / 1e9;
    for (std::thread& thread : threads)
        thread.join();

    if (model.rowCount() != hits) {
        QTextStream(stderr) << "rows shown " << model.rowCount() << " instead of " << hits << '\n';
        return 1;
    }
    QTextStream(stdout) << "hits " << hits << " workers " << workers << " seconds " << seconds << " hits/s "
                        << qRound64(hits / seconds) << " longest-gap-ms " << longestGap << '\n';
    return 0;
}
