// Types into the results filter box of a main window that lists ROWS records, one key
// at a time, the way a user does: each keystroke sets the box's text (which filters
// the list) and the window then handles its events and paints. Reports each keystroke's
// time from the key to the painted window, and the worst of them.
//
//   kestrova-filter-bench [ROWS] [SHOT.png]      (default 1000000 rows)
//
// With SHOT, the window is saved there with the filter in effect.

#include "app/MainWindow.h"
#include "app/ResultsFilterBox.h"
#include "app/ResultsModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <vector>

namespace {

const char* const kExtensions[] = {"txt", "doc", "pdf", "png", "zip", "xls", "mp3", "html", "exe", "dat"};
const char* const kWords[] = {"report", "budget", "photo", "invoice", "notes", "backup", "draft", "scan"};

TItemList Records(int count)
{
    TItemList records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("\\\\HOST%1\\share%2\\Projects\\%3 %4\\%5_%6.%7")
                                 .arg(i % 97)
                                 .arg(i % 5)
                                 .arg(QString::fromLatin1(kWords[(i / 7) % 8]))
                                 .arg(2015 + i % 11)
                                 .arg(QString::fromLatin1(kWords[i % 8]))
                                 .arg(i)
                                 .arg(QString::fromLatin1(kExtensions[i % 10]));
        records.append(MakeItemRecord(name, 0x20, -1, 45000.25 + i * 1e-5, 1000 + i));
    }
    return records;
}

// CPU time of the process (both filter threads), which the machine's other load does not inflate.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int rows = args.size() > 1 ? args[1].toInt() : 1000000;
    const QString shot = args.size() > 2 ? args[2] : QString();
    QTextStream out(stdout);

    QTemporaryDir settings;
    TMainWindow window(TMainWindow::Options{settings.filePath(QStringLiteral("kestrova.ini")), nullptr});
    window.resize(1000, 620);
    window.show();
    window.resultsModel().replaceItems(Records(rows));
    QApplication::processEvents();
    window.setStatusText(QStringLiteral("Found %1 files").arg(rows));

    // Typing a word, taking it back, a mask, and a word that matches nothing.
    const QStringList typed = {
        QStringLiteral("r"),        QStringLiteral("re"),       QStringLiteral("rep"),
        QStringLiteral("repo"),     QStringLiteral("repor"),    QStringLiteral("report"),
        QStringLiteral("report_"),  QStringLiteral("report_1"), QStringLiteral("report_12"),
        QStringLiteral("report_1"), QStringLiteral("report_"),  QStringLiteral("report"),
        QStringLiteral(""),         QStringLiteral("*"),        QStringLiteral("*.p"),
        QStringLiteral("*.pd"),     QStringLiteral("*.pdf"),    QStringLiteral("2019"),
        QStringLiteral("zzz"),      QStringLiteral("HOST4"),    QStringLiteral("host42\\")};
    std::vector<double> times;
    for (const QString& text : typed) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = ProcessCpuMs();
        // The filter on its own first (the box then finds it in effect), then the window.
        window.resultsModel().setFilter(text);
        const double filterMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const double filterCpu = ProcessCpuMs() - cpuStart;
        window.filterBox()->setText(text);
        QApplication::processEvents();
        window.repaint();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        out << QStringLiteral(
                   "%1 %2 rows shown: filter %3 ms (cpu %4 ms), key to painted window %5 ms (cpu %6 ms)\n")
                   .arg(QStringLiteral("\"%1\"").arg(text), -12)
                   .arg(window.resultsModel().rowCount(), 8)
                   .arg(filterMs, 6, 'f', 1)
                   .arg(filterCpu, 6, 'f', 1)
                   .arg(ms, 6, 'f', 1)
                   .arg(ProcessCpuMs() - cpuStart, 6, 'f', 1);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    out << QStringLiteral("rows %1 keystrokes %2 median %3 ms worst %4 ms\n")
               .arg(rows)
               .arg(times.size())
               .arg(sorted[sorted.size() / 2], 0, 'f', 1)
               .arg(sorted.back(), 0, 'f', 1);
    if (!shot.isEmpty()) {
        window.filterBox()->setText(QStringLiteral("report_1"));
        QApplication::processEvents();
        window.grab().save(shot);
        out << "shot " << shot << "\n";
    }
    return 0;
}
