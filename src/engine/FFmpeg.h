#pragma once
// A job as the encoder component owns it: the core plus the options given for each
// input and output, a decoder per input, the job body with its guarded steps, its
// worker and its termination.

#include "engine/ConvertThread.h"
#include "engine/CustomFFmpeg.h"
#include "engine/JobOptions.h"
#include "media/FFDecoder.h"
#include "media/ManualResetEvent.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TFFmpeg : public TCustomFFmpeg {
public:
    using TTerminateSlot = std::function<void(TFFmpeg* ASender)>;

    TFFmpeg() = default;
    ~TFFmpeg() override;

    // Parse the options, then open. Never raise for media or option problems: the
    // result is the new index (SetOutput: 0 when joining), or negative with
    // FLastErrMsg set (-1 when an exception was caught). The options are kept for
    // the new index; a failed open forgets them.
    int AddInput(const std::string& AFileName, const TInputOptions& AOptions);
    int SetOutput(const std::string& AFileName, const TOutputOptions& AOptions);

    // Runs the job at most once. Without a thread the body runs now and nothing is
    // returned; with one, the worker is returned suspended: TConvertThread::Run lets
    // it go.
    TConvertThread* StartConvert(bool AUseThread = false, TThreadPriority APriority = tpNormal);
    // Ends the conversion at its next round; blocked reads and writes abort. Safe in
    // a signal handler.
    void Stop() { FBroken = true; }
    // The same, and releases a paused worker. With waiting, returns once the worker
    // has left the job's body; a worker never waits for itself.
    void Stop(bool AWaitForStop);
    // Terminates a job that never started (its event reports neither Finished nor
    // Exception). False when it had started or ended already.
    bool TerminateUnstarted();
    // Holds the worker at the top of its packet loop; no effect without a worker.
    void Pause();
    void Resume();

    bool Converting() const { return FConverting; }
    bool Terminated() const { return FTerminated; }
    bool Finished() const { return FFinished; }
    bool FatalException() const { return FFatalException; }
    const std::string& FatalMessage() const { return FFatalMessage; }
    bool HasWorker() const { return FThread != nullptr; }
    bool OnWorker() const
    {
        const TConvertThread* thread = FThread;
        return thread && thread->IsCurrent();
    }
    const std::vector<TInputOptions>& InputOptions() const { return FInputOptions; }
    const std::vector<TOutputOptions>& OutputOptions() const { return FOutputOptions; }
    // The decoder attached to an opened input, nullptr for none.
    TFFDecoder* Decoder(int AInputIndex) const;

    TTerminateSlot FOnTerminate;

private:
    void ParseOptions(const std::string& AOptions, const std::string& APresets);
    template <typename TOptions>
    static void StoreOptions(std::vector<TOptions>& AList, int AIndex, const TOptions& AOptions,
        const std::string& AFileName);
    void AttachDecoder(int AInputIndex);
    void ReleaseMedia();
    void RunBody();
    void Guarded(const std::function<void()>& AStep);
    void Fail(const std::string& AMessage);
    void Terminate();

    std::vector<TInputOptions> FInputOptions;
    std::vector<TOutputOptions> FOutputOptions;
    std::vector<std::unique_ptr<TFFDecoder>> FDecoders;

    // Converting and terminated change together under FStateLock, so that a start on
    // a worker and a stop on the UI thread cannot both claim a job.
    std::mutex FStateLock;
    std::atomic<bool> FConverting { false };
    std::atomic<bool> FTerminated { false };
    std::atomic<bool> FFatalException { false };
    std::string FFatalMessage;  // written by the body's thread before termination
    std::unique_ptr<TConvertThread> FWorker;  // set by the starting thread, joined at the end
    std::atomic<TConvertThread*> FThread { nullptr };  // the worker while it runs the job
    TManualResetEvent FStopEvent { true };
};
