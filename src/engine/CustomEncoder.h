#pragma once
// The engine's face to the application: a list of jobs, run one after another in
// the calling thread or on worker threads, a fixed number at a time, with progress
// and termination events.
//
// Every operation is called from the application's (UI) thread. Workers touch the
// run counters only under FTerminateLock, and the shared event records only under
// their event's lock.

#include "engine/EncoderTypes.h"
#include "engine/DoTerminateThread.h"
#include "engine/FFmpegList.h"
#include "media/FFBaseComponent.h"
#include "media/FFDecoder.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TCustomEncoder : public TFFBaseComponent {
public:
    TCustomEncoder();
    ~TCustomEncoder() override;

    // Job building; check words raise "Cannot %s while working." during a run. A
    // media or option problem gives a negative result and LastErrMsg instead.
    int AddTask(const std::string& AFileName, const TInputOptions* AOptions = nullptr);
    int AddTask(const std::string& AFileName, const std::string& AOptions,
        const std::string& APresets = {});
    int AddTask(const void* AStream, const std::string& APrivateData, const TInputOptions* AOptions);
    int AddTask(const void* AStream, const std::string& APrivateData, const std::string& AOptions,
        const std::string& APresets = {});
    int AddInput(int ATaskIndex, const std::string& AFileName, const TInputOptions* AOptions = nullptr);
    int AddInput(int ATaskIndex, const std::string& AFileName, const std::string& AOptions,
        const std::string& APresets = {});
    int AddInput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
        const TInputOptions* AOptions);
    int AddInput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
        const std::string& AOptions, const std::string& APresets = {});
    int SetOutput(int ATaskIndex, const std::string& AFileName, const TOutputOptions* AOptions = nullptr);
    int SetOutput(int ATaskIndex, const std::string& AFileName, const std::string& AOptions,
        const std::string& APresets = {});
    int SetOutput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
        const TOutputOptions* AOptions);
    int SetOutput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
        const std::string& AOptions, const std::string& APresets = {});
    void ClearTasks();
    void Exchange(int AIndex1, int AIndex2);
    void RemoveTask(int ATaskIndex);
    int GetTaskIndex(const TFFmpeg* AJob) const { return FFFmpegList.IndexOf(AJob); }
    int TasksCount() const { return FFFmpegList.Count(); }

    // AThreadCount > 0: that many workers at most, each ending job starting the
    // next; else every job runs here and Start returns after the final event.
    void Start(int AThreadCount);
    void Pause();
    void Resume();
    void Stop(bool AWaitForStop = false);

    bool LoadAVLib(const std::string& APath);
    bool AVLibLoaded() const;
    void UnloadAVLib();

    TFFDecoder* Decoders(int ATaskIndex, int AInputIndex) const;
    TFFDecoder& Decoder() { return FDecoder; }

    const std::string& LastErrMsg() const { return FLastErrMsg; }
    void* UserData() const { return FData; }
    void SetUserData(void* AValue) { FData = AValue; }
    bool HaltOnInvalidOption() const { return FHaltOnInvalidOption; }
    void SetHaltOnInvalidOption(bool AValue) { FHaltOnInvalidOption = AValue; }
    int ProgressInterval() const { return FProgressInterval; }
    void SetProgressInterval(int AValue) { FProgressInterval = AValue > 100 ? AValue : 100; }
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority AValue) { FThreadPriority = AValue; }
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
    // The preview flags, set on every job already in the list and on jobs added later.
    bool Preview() const { return FPreview; }
    void SetPreview(bool AValue);
    bool PreviewBitmap() const { return FPreviewBitmap; }
    void SetPreviewBitmap(bool AValue);
    bool Terminated() const { return FTerminated; }
    bool Working() const { return FWorking; }
    bool Paused() const { return FPaused; }

    // Events; set them while no run is going.
    TProgressEvent OnProgress;
    TTerminateEvent OnTerminate;
    TBeforeFindStreamInfoRelay OnBeforeFindStreamInfo;
    // Raised on the worker, for jobs whose output options ask for it (-AudioHook).
    TAudioHookEvent OnAudioHook;
    // Video only; this program's audio jobs never raise them.
    TPreviewBitmapEvent OnPreviewBitmap;
    TVideoHookEvent OnVideoInputHook;
    TVideoHookEvent OnVideoOutputHook;
    TFrameHookEvent OnFrameInputHook;
    TFrameHookEvent OnFrameOutputHook;

protected:
    // The handlers the jobs' event slots point at, the job as sender. The hook
    // handlers hand back what the application changed in the record.
    virtual void DoInputVideoHook(TFFmpeg* AJob, THookInfo& AInfo);
    virtual void DoOutputVideoHook(TFFmpeg* AJob, THookInfo& AInfo);
    virtual void DoInputFrameHook(TFFmpeg* AJob, TFrameHookInfo& AInfo);
    virtual void DoOutputFrameHook(TFFmpeg* AJob, TFrameHookInfo& AInfo);
    virtual void DoPreviewBitmap(TFFmpeg* AJob, const TPreviewInfo& AInfo);
    virtual void DoProgress(TFFmpeg* AJob, const TProgressValues& AValues);
    virtual void DoTerminate(TFFmpeg* AJob);

private:
    void CheckWorking(const char* AWord) const;
    std::unique_ptr<TFFmpeg> NewJob();
    void CopyTimeouts(TFFmpeg& AJob) const;
    // A listed job about to get an input or output: the check word, then the encoder's
    // settings copied in.
    TFFmpeg& JobToBuild(const char* ACheckWord, int ATaskIndex);
    // A building step's result; a failure's text becomes LastErrMsg.
    int Outcome(const TFFmpeg& AJob, int AResult);
    void ConnectHooks(TFFmpeg& AJob, const TOutputOptions& AOptions);
    // A job's hook slot that calls one of the hook handlers.
    template <typename TInfo>
    std::function<void(TCustomFFmpeg*, TInfo&)> Relay(void (TCustomEncoder::*AHandler)(TFFmpeg*, TInfo&));
    // Fills the event's one record under its lock and raises the event with it.
    template <typename TInfo, typename TEvent>
    void RaiseRecord(std::mutex& ALock, TInfo& ARecord, const TEvent& AEvent, TFFmpeg* AJob,
        TInfo& AInfo);
    int OpenFirstInput(TFFmpeg& AJob, const std::string& AFileName, const TInputOptions* AOptions);
    int BeginRun(bool AThreadMode);
    void StartJobs(int ARun, int AThreadCount);
    void EndStart();
    void StartNextTask();
    void FinalTermination();
    void StopJob(TFFmpeg& AJob, bool AWaitForStop);
    // Runs an event handler on the UI thread when asked to, waiting for it.
    void RaiseEvent(const std::function<void()>& ACall) const;
    void DeliverTerminate(const TTerminateInfo& AInfo);
    void ReapDeliveries(bool AAll);

    std::string FLastErrMsg;
    void* FData = nullptr;
    bool FHaltOnInvalidOption = true;
    bool FPreview = false;
    bool FPreviewBitmap = false;
    std::atomic<int> FProgressInterval { 500 };
    std::atomic<TThreadPriority> FThreadPriority { tpNormal };
    std::atomic<bool> FTriggerEventInMainThread { true };

    TProgressInfo FProgressInfo;        // under FProgressLock
    TTerminateInfo FTerminateInfo;      // under FTerminateLock
    std::mutex FProgressLock;
    std::mutex FFindStreamLock;
    std::mutex FAudioHookLock;
    TPreviewInfo FPreviewInfo;      // under FPreviewLock
    THookInfo FVideoHookInfo;       // under FVideoHookLock
    TFrameHookInfo FFrameHookInfo;  // under FFrameHookLock
    std::mutex FPreviewLock;
    std::mutex FVideoHookLock;
    std::mutex FFrameHookLock;
    // Recursive: a job's end starts the next job while it is held, and a handler run
    // directly from it may call back into the encoder.
    std::recursive_mutex FTerminateLock;
    // The job whose progress handler runs now; stopping it must not wait for it.
    std::atomic<const TFFmpeg*> FReporting { nullptr };

    // Termination events are delivered in the order the jobs ended; the final event
    // thereby follows the last per-job one.
    TDeliveryOrder FDeliveryOrder;
    std::mutex FDeliveriesLock;  // guards FDeliveries
    std::vector<std::unique_ptr<TDoTerminateThread>> FDeliveries;

    TFFDecoder FDecoder;
    TFFmpegList FFFmpegList;
    // Under FTerminateLock while a run goes.
    int FCompleteTasks = 0;
    int FCurrentTask = -1;
    int FPendingTasks = 0;
    std::atomic<bool> FTerminated { false };
    std::atomic<bool> FThreadMode { false };
    std::atomic<bool> FWorking { false };
    std::atomic<bool> FPaused { false };

    // UI thread only. A run's number, so that a Start whose run was cleared and
    // replaced from one of its events starts nothing of the new run.
    int FRun = 0;
    // Starts in progress on the UI thread; while there are any, the jobs' code may
    // be on the stack, so ClearTasks parks the jobs in FRetired until the outermost
    // Start returns.
    int FStartDepth = 0;
    std::vector<std::unique_ptr<TFFmpeg>> FRetired;
};
