#pragma once

#include <QString>
#include <functional>
#include <memory>

class MainThreadDispatcher;
class ShareClientFactory;
class NetworkBrowser;
class HostCheckerService;
class HostDiscovery;
class HitIconProvider;
class HitSink;
class EngineErrorReporter;
class HostSearchContext;
class TSearchSession;

// Everything a search needs from outside the engine, copied into every engine
// thread. The session is shared with every thread of the search (its stop, queue,
// log, workers and the settings copies it started with). The other pointers are not
// owned and must outlive the search; a service a search does not use may be null
// (shares are not touched in FTP-only mode, the browser is not needed for a plain
// computer list or IP ranges, ...).
struct TSearchServices {
    std::shared_ptr<TSearchSession> Session;
    MainThreadDispatcher* Dispatcher = nullptr;
    // Each worker creates its own share client.
    ShareClientFactory* ShareClients = nullptr;
    // The FTP part of a host's search, run on the worker's thread; empty: none.
    std::function<void(const QString& host, HostSearchContext& context)> FtpSearch;
    NetworkBrowser* Browser = nullptr;
    HostCheckerService* HostChecker = nullptr;
    // WS-Discovery and DNS-SD for the browse modes; null: the NetBIOS browse list only.
    HostDiscovery* Discovery = nullptr;
    // Null: every hit keeps the icon index -1.
    HitIconProvider* Icons = nullptr;
    HitSink* Hits = nullptr;
    EngineErrorReporter* Errors = nullptr;
};
