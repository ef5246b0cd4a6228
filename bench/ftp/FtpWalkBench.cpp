// Walks a whole FTP server the way a search does (every entry tested, nothing
// filtered out) and prints the number of entries and the time taken:
//
//   ftp_walk_bench ADDRESS PORT [RUNS]
//
// One line per run: "entries <n> ms <t>".

#include "engine/FtpSearch.h"
#include "platform/CurlFtpClient.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

class CountingContext : public HostSearchContext {
public:
    const TThreadConfig& Config() const override { return m_config; }
    bool FileNameMatches(const QString&) const override { return true; }
    void SetActivity(TWorkerActivity, const QString&) override {}
    void DeliverHit(const TItemRecord&) override { ++hits; }
    std::stop_token StopToken() const override { return {}; }
    void AddLogEntry(TSearchLogKind, const QString&) override {}

    long hits = 0;

private:
    TThreadConfig m_config;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ADDRESS PORT [RUNS]\n", argv[0]);
        return 2;
    }
    const QString host = QStringLiteral("\\\\") + QString::fromLocal8Bit(argv[1]);
    FtpClientOptions options;
    options.port = static_cast<uint16_t>(std::atoi(argv[2]));
    const int runs = argc > 3 ? std::atoi(argv[3]) : 1;
    CurlFtpClientFactory factory(options);
    for (int run = 0; run < runs; ++run) {
        CountingContext context;
        QElapsedTimer timer;
        timer.start();
        FtpSearchHost(host, factory, context);
        std::printf("entries %ld ms %lld\n", context.hits, static_cast<long long>(timer.elapsed()));
        std::fflush(stdout);
    }
    return 0;
}
