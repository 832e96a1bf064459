#include "engine/DoTerminateThread.h"

#include "media/FFLogger.h"
#include "media/MainThreadDispatcher.h"

#include <chrono>
#include <exception>

TDoTerminateThread::TDoTerminateThread(TTerminateEvent AHandler, TCustomEncoder* ASender,
    TTerminateInfo AInfo, std::atomic<int>& APending, bool AWaitFirst, bool AInMainThread)
    : FHandler(std::move(AHandler))
    , FSender(ASender)
    , FInfo(std::move(AInfo))
    , FPending(APending)
    , FWaitFirst(AWaitFirst)
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
    if (FWaitFirst)
        while (FPending > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
    if (!FWaitFirst)
        --FPending;
    FDone.Set();
}
