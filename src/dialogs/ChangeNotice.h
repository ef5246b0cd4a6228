#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

// Turns a change hook that runs on any thread (the search log's and the worker
// list's SetOnChange) into queued calls of a handler on the context's thread, at
// most one queued at a time: the hook raises a flag and posts only when the flag was
// down; the call lowers it just before the handler runs, so a change during the
// handler posts again and none is missed. A burst of changes thus costs a few
// handler runs, not one per change.
//
// Threading: construct, destroy and run the handler on the context's thread; the
// hook may run on any thread and never waits. The hook must be removed from its
// source before the context is destroyed (SetOnChange replaces a handler only once
// no call of it is running); a call queued by then is dropped with the context.
class TChangeNotice {
public:
    TChangeNotice(QObject& context, std::function<void()> handler);

    // The function to give the source's SetOnChange.
    std::function<void()> Hook() const;

private:
    struct State {
        QObject* context = nullptr;
        std::function<void()> handler;
        std::atomic<bool> posted{false};
    };
    std::shared_ptr<State> m_state;
};
