#pragma once
// Delivers one termination event from its own short-lived thread, so that the
// ending job's worker never waits for the handler. A per-job delivery counts itself
// out of APending when done; the final delivery first waits until APending is 0.

#include "engine/EncoderTypes.h"
#include "media/ManualResetEvent.h"

#include <atomic>
#include <thread>

class TDoTerminateThread {
public:
    TDoTerminateThread(TTerminateEvent AHandler, TCustomEncoder* ASender, TTerminateInfo AInfo,
        std::atomic<int>& APending, bool AWaitFirst, bool AInMainThread);
    // Waits for the delivery (serving hand-overs on the UI thread), then joins.
    ~TDoTerminateThread();
    TDoTerminateThread(const TDoTerminateThread&) = delete;
    TDoTerminateThread& operator=(const TDoTerminateThread&) = delete;

    bool Done() const { return FDone.IsSet(); }

private:
    void Execute();

    TTerminateEvent FHandler;
    TCustomEncoder* FSender;
    TTerminateInfo FInfo;
    std::atomic<int>& FPending;
    bool FWaitFirst;
    bool FInMainThread;
    TManualResetEvent FDone;
    std::thread FThread;
};
