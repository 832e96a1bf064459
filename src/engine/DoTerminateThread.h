#pragma once
// Delivers one termination event from its own short-lived thread, so that the
// ending job's worker never waits for the handler. Deliveries take their turn in the
// order the jobs terminated, so the run's final event always comes last.

#include "engine/EncoderTypes.h"
#include "media/ManualResetEvent.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Hands out turns in the order of asking and lets each holder wait for its turn.
class TDeliveryOrder {
public:
    int Take();
    void WaitTurn(int ATurn);
    void Done();

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    int FNext = 0;
    int FCurrent = 0;
};

class TDoTerminateThread {
public:
    TDoTerminateThread(TTerminateEvent AHandler, TCustomEncoder* ASender, TTerminateInfo AInfo,
        TDeliveryOrder& AOrder, bool AInMainThread);
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
    TDeliveryOrder& FOrder;
    int FTurn;
    bool FInMainThread;
    TManualResetEvent FDone;
    std::thread FThread;
};
