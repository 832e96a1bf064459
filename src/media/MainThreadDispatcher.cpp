#include "media/MainThreadDispatcher.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

namespace {

struct TPendingCall {
    const std::function<void()>* Call;
    std::exception_ptr Error;
    bool Done = false;
};

// Everything below is guarded by Lock. A pending call lives on the stack of the
// thread that handed it over, which waits until Done is set.
std::mutex Lock;
std::condition_variable UIWake; // the UI thread waits on it for work or a wake-up
std::condition_variable CallDone; // handing threads wait on it
std::deque<TPendingCall*> Queue;
TMainThreadDispatcher* Dispatcher = nullptr;

bool MustHandOver()
{
    std::lock_guard guard(Lock);
    return Dispatcher && !Dispatcher->IsMainThread();
}

TPendingCall* TakeNext()
{
    std::lock_guard guard(Lock);
    if (Queue.empty())
        return nullptr;
    TPendingCall* next = Queue.front();
    Queue.pop_front();
    return next;
}

} // namespace

void InstallMainThreadDispatcher(TMainThreadDispatcher* ADispatcher)
{
    {
        std::lock_guard guard(Lock);
        Dispatcher = ADispatcher;
    }
    if (!ADispatcher)
        ServeMainThreadCalls();
}

void RunInMainThread(const std::function<void()>& ACall)
{
    if (!MustHandOver()) {
        ACall();
        return;
    }
    TPendingCall pending { &ACall, nullptr };
    {
        std::unique_lock lock(Lock);
        if (!Dispatcher) { // removed meanwhile
            lock.unlock();
            ACall();
            return;
        }
        Queue.push_back(&pending);
        Dispatcher->Post();
        UIWake.notify_all();
        CallDone.wait(lock, [&] { return pending.Done; });
    }
    if (pending.Error)
        std::rethrow_exception(pending.Error);
}

bool InMainThread()
{
    return !MustHandOver();
}

bool OnDispatcherThread()
{
    std::lock_guard guard(Lock);
    return Dispatcher && Dispatcher->IsMainThread();
}

void ServeMainThreadCalls()
{
    while (TPendingCall* pending = TakeNext()) {
        std::exception_ptr error;
        try {
            (*pending->Call)();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard guard(Lock);
        pending->Error = std::move(error);
        pending->Done = true;
        CallDone.notify_all();
    }
}

bool WaitServingMainThread(const std::function<bool()>& AReady, TWaitDeadline ADeadline)
{
    for (;;) {
        ServeMainThreadCalls();
        std::unique_lock lock(Lock);
        const bool serving = Dispatcher && Dispatcher->IsMainThread();
        auto woken = [&] { return AReady() || (serving && !Queue.empty()); };
        if (ADeadline) {
            if (!UIWake.wait_until(lock, *ADeadline, woken))
                return false;
        } else {
            UIWake.wait(lock, woken);
        }
        if (AReady())
            return true;
    }
}

void WakeMainThread()
{
    std::lock_guard guard(Lock);
    UIWake.notify_all();
}
