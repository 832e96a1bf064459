// Running the jobs: scheduling, pause and stop, progress and termination events.

#include "engine/CustomEncoder.h"

#include "media/MainThreadDispatcher.h"

#include <algorithm>

void TCustomEncoder::Start(int AThreadCount)
{
    CheckWorking("StartTask");
    const int run = BeginRun(AThreadCount > 0);
    ++FStartDepth;
    try {
        StartJobs(run, AThreadCount);
    } catch (...) {
        EndStart();
        throw;
    }
    EndStart();
}

int TCustomEncoder::BeginRun(bool AThreadMode)
{
    std::lock_guard guard(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = 0;
    FPendingTasks = TasksCount();
    FTerminated = false;
    FThreadMode = AThreadMode;
    FWorking = true;
    FPaused = false;
    return ++FRun;
}

void TCustomEncoder::StartJobs(int ARun, int AThreadCount)
{
    for (;;) {
        {
            std::lock_guard guard(FTerminateLock);
            if (FRun != ARun || FPendingTasks <= 0)
                break;
        }
        StartNextTask();
        if (FThreadMode && --AThreadCount == 0)
            break;
    }
}

void TCustomEncoder::EndStart()
{
    if (--FStartDepth == 0)
        FRetired.clear();
}

void TCustomEncoder::StartNextTask()
{
    TFFmpeg* job = nullptr;
    {
        std::lock_guard guard(FTerminateLock);
        if (FPendingTasks <= 0)
            return;
        --FPendingTasks;
        job = FFFmpegList.Item(FCurrentTask++);
    }
    job->ReportInterval = int64_t(FProgressInterval) * 1000;
    TConvertThread* thread = job->StartConvert(FThreadMode, FThreadPriority);
    if (!thread)
        return;
    {
        // A job started while the run is paused starts paused.
        std::lock_guard guard(FTerminateLock);
        if (FPaused)
            job->Pause();
    }
    thread->Run();
}

void TCustomEncoder::Pause()
{
    std::lock_guard guard(FTerminateLock);
    if (!FWorking || FPaused)
        return;
    FPaused = true;
    FFFmpegList.Pause();
}

void TCustomEncoder::Resume()
{
    std::lock_guard guard(FTerminateLock);
    if (!FWorking || !FPaused)
        return;
    FPaused = false;
    FFFmpegList.Resume();
}

void TCustomEncoder::Stop(bool AWaitForStop)
{
    {
        std::lock_guard guard(FTerminateLock);
        FPendingTasks = 0;
    }
    if (!FWorking)
        return;
    for (int i = 0; i < TasksCount(); ++i)
        StopJob(*FFFmpegList.Item(i), AWaitForStop);
}

void TCustomEncoder::StopJob(TFFmpeg& AJob, bool AWaitForStop)
{
    if (AJob.TerminateUnstarted())
        return;
    if (!AJob.Converting())
        return;
    // A progress handler that stops its own job must not wait for it: the job's
    // worker is waiting for that very handler to return.
    AJob.Stop(AWaitForStop && FReporting != &AJob);
}

void TCustomEncoder::RaiseEvent(const std::function<void()>& ACall) const
{
    if (FTriggerEventInMainThread)
        RunInMainThread(ACall);
    else
        ACall();
}

void TCustomEncoder::DoProgress(TFFmpeg* AJob, const TProgressValues& AValues)
{
    if (!OnProgress)
        return;
    std::lock_guard guard(FProgressLock);
    FProgressInfo.TaskIndex = GetTaskIndex(AJob);
    FProgressInfo.FileIndex = AValues.FileIndex;
    FProgressInfo.FrameNumber = AValues.FrameNumber;
    FProgressInfo.FPS = AValues.FPS;
    FProgressInfo.Quality = AValues.Quality;
    FProgressInfo.BitRate = AValues.BitRate;
    FProgressInfo.CurrentSize = AValues.CurrentSize;
    FProgressInfo.CurrentDuration = AValues.CurrentDuration;
    FProgressInfo.TotalDuration = AValues.TotalDuration;
    FReporting = AJob;
    RaiseEvent([this] { OnProgress(this, &FProgressInfo); });
    FReporting = nullptr;
}

void TCustomEncoder::DoTerminate(TFFmpeg* AJob)
{
    std::lock_guard guard(FTerminateLock);
    if (OnTerminate) {
        FTerminateInfo
            = { GetTaskIndex(AJob), AJob->Finished(), AJob->FatalException(), AJob->FatalMessage() };
        if (FThreadMode || !FWorking)
            DeliverTerminate(FTerminateInfo);
        else
            RaiseEvent([this] { OnTerminate(this, FTerminateInfo); });
    }
    ++FCompleteTasks;
    if (FPendingTasks < 1) {
        if (FCompleteTasks >= TasksCount())
            FinalTermination();
    } else if (FThreadMode) {
        StartNextTask();
    }
}

void TCustomEncoder::FinalTermination()
{
    FTerminated = true;
    if (!OnTerminate)
        return;
    FTerminateInfo = { -1, true, false, {} };
    if (FThreadMode || !FWorking)
        DeliverTerminate(FTerminateInfo);
    else
        RaiseEvent([this] { OnTerminate(this, FTerminateInfo); });
}

void TCustomEncoder::DeliverTerminate(const TTerminateInfo& AInfo)
{
    auto thread = std::make_unique<TDoTerminateThread>(
        OnTerminate, this, AInfo, FDeliveryOrder, FTriggerEventInMainThread);
    std::lock_guard guard(FDeliveriesLock);
    FDeliveries.push_back(std::move(thread));
}

void TCustomEncoder::ReapDeliveries(bool AAll)
{
    std::vector<std::unique_ptr<TDoTerminateThread>> ended;
    {
        std::lock_guard guard(FDeliveriesLock);
        auto done = std::stable_partition(FDeliveries.begin(), FDeliveries.end(),
            [AAll](const auto& AThread) { return !AAll && !AThread->Done(); });
        std::move(done, FDeliveries.end(), std::back_inserter(ended));
        FDeliveries.erase(done, FDeliveries.end());
    }
    // Joined outside the lock: a delivery may be waiting for the UI thread.
}
