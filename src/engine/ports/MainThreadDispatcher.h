#pragma once

#include <functional>

// The one way engine threads reach the main thread. The GUI implements it on the
// Qt event loop; tests and headless runs use a pump (PumpDispatcher).
class MainThreadDispatcher {
public:
    virtual ~MainThreadDispatcher() = default;
    // Runs fn on the main thread and returns once it has run. On the main thread
    // itself fn runs at once.
    virtual void synchronize(const std::function<void()>& fn) = 0;
    // Runs fn on the main thread later; returns at once.
    virtual void post(std::function<void()> fn) = 0;
};
