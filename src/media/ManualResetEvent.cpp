#include "media/ManualResetEvent.h"

#include "media/MainThreadDispatcher.h"

TManualResetEvent::TManualResetEvent(bool AInitiallySet)
    : FSet(AInitiallySet)
{
}

void TManualResetEvent::Set()
{
    {
        std::lock_guard guard(FLock);
        FSet = true;
        FChanged.notify_all();
    }
    WakeMainThread();
}

void TManualResetEvent::Reset()
{
    std::lock_guard guard(FLock);
    FSet = false;
}

bool TManualResetEvent::IsSet() const
{
    std::lock_guard guard(FLock);
    return FSet;
}

void TManualResetEvent::Wait()
{
    WaitUntil({}, true);
}

bool TManualResetEvent::WaitFor(std::chrono::milliseconds ATimeout)
{
    return WaitUntil(std::chrono::steady_clock::now() + ATimeout, false);
}

bool TManualResetEvent::WaitUntil(std::chrono::steady_clock::time_point ADeadline, bool AForever)
{
    if (!OnDispatcherThread()) {
        std::unique_lock lock(FLock);
        if (AForever) {
            FChanged.wait(lock, [this] { return FSet; });
            return true;
        }
        return FChanged.wait_until(lock, ADeadline, [this] { return FSet; });
    }
    TWaitDeadline deadline;
    if (!AForever)
        deadline = ADeadline;
    return WaitServingMainThread([this] { return IsSet(); }, deadline);
}
