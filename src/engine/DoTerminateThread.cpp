#include "engine/DoTerminateThread.h"

#include "media/FFLogger.h"
#include "media/MainThreadDispatcher.h"

#include <exception>

int TDeliveryOrder::Take()
{
    std::lock_guard guard(FLock);
    return FNext++;
}

void TDeliveryOrder::WaitTurn(int ATurn)
{
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [&] { return FCurrent == ATurn; });
}

void TDeliveryOrder::Done()
{
    std::lock_guard guard(FLock);
    ++FCurrent;
    FChanged.notify_all();
}

TDoTerminateThread::TDoTerminateThread(TTerminateEvent AHandler, TCustomEncoder* ASender,
    TTerminateInfo AInfo, TDeliveryOrder& AOrder, bool AInMainThread)
    : FHandler(std::move(AHandler))
    , FSender(ASender)
    , FInfo(std::move(AInfo))
    , FOrder(AOrder)
    , FTurn(AOrder.Take())
    , FInMainThread(AInMainThread)
    , FThread([this] { Execute(); })
{
}

TDoTerminateThread::~TDoTerminateThread()
{
    FDone.Wait();
    FThread.join();
}

void TDoTerminateThread::Execute()
{
    FOrder.WaitTurn(FTurn);
    try {
        if (FHandler) {
            if (FInMainThread)
                RunInMainThread([this] { FHandler(FSender, FInfo); });
            else
                FHandler(FSender, FInfo);
        }
    } catch (const std::exception& e) {
        GetLogger().Log(FSender, llError, e.what());
    }
    // Even after a failing handler, or the next delivery would wait forever.
    FOrder.Done();
    FDone.Set();
}
