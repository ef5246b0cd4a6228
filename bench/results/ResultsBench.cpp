// Times SaveResultsToFile, LoadResultsFromFile and the three report exports on a
// generated result list, and leaves the same data behind for the peers in run.sh:
// results.dat, its two raw streams (records.bin, images.bin) and records.tsv.
//
// Usage: kestrova-results-bench WORKDIR [RECORDS] [REPEATS]
#include "model/DateTime.h"
#include "model/Error.h"
#include "store/CompoundFile.h"
#include "store/ImageListStream.h"
#include "store/ReportExport.h"
#include "store/ResultsFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

TItemList MakeRecords(int count)
{
    TItemList list;
    list.reserve(count);
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < count; ++i) {
        const bool folder = i % 10 == 0;
        const QString name = QStringLiteral("\\\\HOST%1\\share%2\\folder %3\\sub folder %4\\document-%5%6")
                                 .arg(i % 40, 2, 10, QLatin1Char('0'))
                                 .arg(i % 3)
                                 .arg(i % 997)
                                 .arg(i % 31)
                                 .arg(i, 7, 10, QLatin1Char('0'))
                                 .arg(folder ? QString() : QStringLiteral(".txt"));
        const double date = 40000.0 + next() % 9000 + (next() % 86400) / 86400.0;
        list.append(MakeItemRecord(name, folder ? 0x10 : (0x20 | (next() % 8)), static_cast<int32_t>(i % 12),
                                   date, folder ? 0 : static_cast<int64_t>(next() % 100000000)));
    }
    return list;
}

TIconList MakeIcons(int count)
{
    TIconList icons;
    for (int i = 0; i < count; ++i) {
        TIconImage icon(16, 16);
        for (size_t p = 0; p < icon.Pixels.size(); ++p)
            icon.Pixels[p] =
                static_cast<uint32_t>((p * 16 + i) % 256) << 24 | static_cast<uint32_t>(p * 977 + i);
        icons.append(icon);
    }
    return icons;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw EKestrovaError("cannot write " + path);
}

void WriteTsv(const QString& path, const TItemList& list)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EKestrovaError("cannot write " + path);
    QByteArray chunk;
    for (const TItemRecord& item : list) {
        const DateTimeParts p = DecodeDateTime(item.DateTime);
        chunk += item.FileName.toUtf8() + '\t' + QByteArray::number(static_cast<qint64>(item.Size)) + '\t' +
                 QString::asprintf("%04d-%02d-%02d\t%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                                   p.second)
                     .toLatin1() +
                 '\t' + ItemAttributesText(item).toLatin1() + '\n';
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
}

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs the step 'repeats' times and prints the fastest and the median run, in
// wall-clock time and in CPU time of this process (which other work on a shared
// machine disturbs less).
void Time(const char* name, int repeats, const std::function<void()>& step)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        const double cpuStart = CpuSeconds();
        timer.start();
        step();
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        cpu.push_back(CpuSeconds() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-10s min %.3f s  median %.3f s  (%d runs)   cpu min %.3f s  median %.3f s\n", name,
                wall.front(), wall[wall.size() / 2], repeats, cpu.front(), cpu[cpu.size() / 2]);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORKDIR [RECORDS] [REPEATS]\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    try {
        const TItemList list = MakeRecords(count);
        const TIconList icons = MakeIcons(12);
        TReportSettings settings;
        settings.FileNameDisplayFormat = 1;
        settings.DateFormat = 3;
        settings.Locale = QLocale(QLocale::English, QLocale::UnitedStates);

        const QString dat = dir + "/results.dat";
        Time("save", repeats, [&] { SaveResultsToFile(dat, list, icons); });
        Time("load", repeats, [&] {
            TItemList loaded;
            TIconList loadedIcons;
            LoadResultsFromFile(dat, loaded, loadedIcons);
            if (loaded.size() != list.size())
                throw EKestrovaError("load lost records");
        });
        Time("html", repeats, [&] { ExportToHtml(dir + "/report.htm", list, settings); });
        Time("xml", repeats, [&] { ExportToXml(dir + "/report.xml", list, settings); });
        Time("csv", repeats, [&] { ExportToCsv(dir + "/report.csv", list, settings); });

        // The same data for the peers.
        TCompoundFileReader file(dat);
        WriteFile(dir + "/records.bin", file.requireStream("mainlist_unicode")->readAll(UINT64_MAX));
        WriteFile(dir + "/images.bin", file.requireStream("images")->readAll(UINT64_MAX));
        WriteTsv(dir + "/records.tsv", list);
    } catch (const EKestrovaError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
