#pragma once
// Hand-over of calls to the user-interface thread.
//
// A worker thread that needs the user-interface thread (to raise an event, to log a
// line) hands the call over with RunInMainThread and waits until it has run. The
// windowing layer installs a dispatcher that knows its UI thread and can wake its
// event loop; without one (command line, core tests) every call simply runs on the
// calling thread. While the UI thread itself waits for a worker it must keep
// serving hand-overs, or both would wait forever: TManualResetEvent::Wait does that.

#include <chrono>
#include <functional>
#include <optional>

class TMainThreadDispatcher {
public:
    virtual ~TMainThreadDispatcher() = default;
    // True on the user-interface thread.
    virtual bool IsMainThread() const = 0;
    // Called from any thread: asks the UI thread's event loop to call
    // ServeMainThreadCalls() soon. Must not run it synchronously.
    virtual void Post() = 0;
};

// Installs the dispatcher (nullptr removes it; calls still pending then run at once
// on the calling thread, which should be the UI thread). Not owned.
void InstallMainThreadDispatcher(TMainThreadDispatcher* ADispatcher);

// Runs ACall on the UI thread and returns after it has run; an exception it throws
// is rethrown here. Runs it directly on the UI thread or without a dispatcher.
void RunInMainThread(const std::function<void()>& ACall);

// True when the calling thread is the UI thread, or when no dispatcher is installed.
bool InMainThread();

// True only on the UI thread of an installed dispatcher: the thread that must keep
// serving hand-overs while it waits.
bool OnDispatcherThread();

// On the UI thread: runs every call handed over so far, in order.
void ServeMainThreadCalls();

// Blocks until AReady() is true or the deadline passes (returns AReady()). On the UI
// thread with a dispatcher, hand-overs are served meanwhile. Whoever makes AReady()
// true must call WakeMainThread() afterwards. AReady() must not block.
using TWaitDeadline = std::optional<std::chrono::steady_clock::time_point>;
bool WaitServingMainThread(const std::function<bool()>& AReady, TWaitDeadline ADeadline = {});

// Wakes a UI thread blocked in WaitServingMainThread so that it checks again.
void WakeMainThread();
