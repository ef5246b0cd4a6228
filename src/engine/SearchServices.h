#pragma once

#include "model/Account.h"

#include <QString>
#include <functional>
#include <vector>

class MainThreadDispatcher;
class ShareClientFactory;
class NetworkBrowser;
class HostCheckerService;
class HitIconProvider;
class HitSink;
class EngineErrorReporter;
class HostSearchContext;

// Everything a search needs from outside the engine, copied into every engine
// thread. The pointers are not owned and must outlive the search; a service a
// search does not use may be null (shares are not touched in FTP-only mode, the
// browser is not needed for a plain computer list or IP ranges, ...).
struct TSearchServices {
    MainThreadDispatcher* Dispatcher = nullptr;
    // Each worker creates its own share client.
    ShareClientFactory* ShareClients = nullptr;
    // The FTP part of a host's search, run on the worker's thread; empty: none.
    std::function<void(const QString& host, HostSearchContext& context)> FtpSearch;
    NetworkBrowser* Browser = nullptr;
    HostCheckerService* HostChecker = nullptr;
    // A copy of the stored accounts, taken under the account list's own lock.
    std::function<std::vector<TUnicodeAccount>()> Accounts;
    // Null: every hit keeps the icon index -1.
    HitIconProvider* Icons = nullptr;
    HitSink* Hits = nullptr;
    EngineErrorReporter* Errors = nullptr;
};
