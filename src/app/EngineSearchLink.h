#pragma once

#include "app/SearchEngineLink.h"
#include "engine/EngineErrorReporter.h"
#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/SearchServices.h"

class MainThreadDispatcher;
class TIconCache;
class TResultsModel;

// The engine's queue thread behind the window's seam: hits go into the results model
// in batches (one row insertion per wake-up, see HitDelivery.h) with their icons from
// the icon cache, errors that end an engine thread are shown in an error box (the
// thread waits until it is closed).
//
// Threading: start, requestStop and runningWorkers on the main thread; AppendHits and
// IconIndex run on the main thread in the wake-ups the workers post through the
// dispatcher; ReportError on the failing engine thread. onEnded runs after every hit
// of the search was appended. The services must outlive every search started here.
class TEngineSearchLink : public TSearchEngineLink,
                          private HitSink,
                          private HitIconProvider,
                          private EngineErrorReporter {
public:
    // Makes the session of a new search (copies of the scope root, the discovery
    // settings and the accounts as they are now).
    using SessionFactory = std::function<std::shared_ptr<TSearchSession>()>;

    // services: the platform's clients (share clients, FTP, browser, host checks);
    // the session, dispatcher, hit sink, icons and error reporter are set here.
    TEngineSearchLink(MainThreadDispatcher& dispatcher, TResultsModel& model, TIconCache& icons,
                      const TSearchServices& services, SessionFactory newSession);

    std::shared_ptr<TSearchSession> start(const TThreadConfig& config,
                                          std::function<void()> onEnded) override;
    void requestStop() override;
    int runningWorkers() override;

private:
    void AppendHits(const std::vector<TItemRecord>& hits) override;
    int32_t IconIndex(const THitIconRequest& request) override;
    void ReportError(const QString& message) override;

    MainThreadDispatcher& m_dispatcher;
    TResultsModel& m_model;
    TIconCache& m_icons;
    TSearchServices m_services;
    SessionFactory m_newSession;
    // The last search's session (kept after it ended).
    std::shared_ptr<TSearchSession> m_session;
};
