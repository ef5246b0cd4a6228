#pragma once

#include "engine/WorkerActivity.h"

#include <QString>
#include <functional>
#include <vector>

// One running worker as the thread view sees it. `worker` identifies the worker
// only: the view compares it with later readings and never follows it.
struct TWorkerActivityLine {
    const void* worker = nullptr;
    int kind = waConnecting; // a TWorkerActivity value; others show no icon
    QString text;
};

// Where the thread view reads the running workers from: every registered worker in
// list order with its activity, read under the worker list's lock (and each
// worker's own lock inside it), so no worker can end halfway through the reading.
class TWorkerActivitySource {
public:
    virtual ~TWorkerActivitySource() = default;
    virtual std::vector<TWorkerActivityLine> ReadActivities() = 0;
    // Calls onChange (on any thread, quickly, never waiting for the main thread) when
    // a worker joins or leaves; empty stops it. Activity changes are not notified.
    // The default source notifies nothing.
    // By value: the sources that notify keep the function.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual void SetOnChange(std::function<void()> /*onChange*/) {}
};
