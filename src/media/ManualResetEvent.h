#pragma once
// An event that stays set until it is reset. Waiting on the user-interface thread
// keeps serving hand-overs (see MainThreadDispatcher.h), so a worker that hands a
// call to the UI thread before it sets the event cannot dead-lock with it.

#include <chrono>
#include <condition_variable>
#include <mutex>

class TManualResetEvent {
public:
    explicit TManualResetEvent(bool AInitiallySet = false);

    void Set();
    void Reset();
    bool IsSet() const;
    void Wait();
    // False when the time-out passed before the event was set.
    bool WaitFor(std::chrono::milliseconds ATimeout);

private:
    bool WaitUntil(std::chrono::steady_clock::time_point ADeadline, bool AForever);

    mutable std::mutex FLock;
    std::condition_variable FChanged;
    bool FSet;
};
