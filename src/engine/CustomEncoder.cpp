// Building and changing the job list.

#include "engine/CustomEncoder.h"

#include "media/FFLoader.h"
#include "media/FormatText.h"

#include <stdexcept>

namespace {

std::string StreamName(const void* AStream, const std::string& APrivateData)
{
    return FormatText("stream:%llu:%s",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(AStream)), APrivateData.c_str());
}

TInputOptions MakeInputOptions(
    const std::string& AFileName, const std::string& AOptions, const std::string& APresets)
{
    TInputOptions o;
    o.FileName = AFileName;
    o.Options = AOptions;
    o.Presets = APresets;
    return o;
}

}  // namespace

TCustomEncoder::TCustomEncoder() = default;

TCustomEncoder::~TCustomEncoder()
{
    OnProgress = nullptr;
    OnTerminate = nullptr;
    OnBeforeFindStreamInfo = nullptr;
    OnAudioHook = nullptr;
    OnPreviewBitmap = nullptr;
    OnVideoInputHook = nullptr;
    OnVideoOutputHook = nullptr;
    OnFrameInputHook = nullptr;
    OnFrameOutputHook = nullptr;
    Stop(true);
    FFFmpegList.Clear();
    ReapDeliveries(true);
}

void TCustomEncoder::CheckWorking(const char* AWord) const
{
    if (FWorking)
        throw std::runtime_error(FormatText("Cannot %s while working.", AWord));
}

std::unique_ptr<TFFmpeg> TCustomEncoder::NewJob()
{
    auto job = std::make_unique<TFFmpeg>();
    job->FOnBeforeFindStreamInfo = [this](TCustomFFmpeg* ASender, AVFormatContext* AContext) {
        if (!OnBeforeFindStreamInfo)
            return;
        std::lock_guard guard(FFindStreamLock);
        RaiseEvent([&] { OnBeforeFindStreamInfo(static_cast<TFFmpeg*>(ASender), AContext); });
    };
    job->FOnPreviewBitmap = [this](TCustomFFmpeg* ASender, const TPreviewInfo& AInfo) {
        DoPreviewBitmap(static_cast<TFFmpeg*>(ASender), AInfo);
    };
    job->SetPostHook(phPreview, FPreview);
    job->SetPostHook(phBitmap, FPreviewBitmap);
    job->HaltOnInvalidOption = FHaltOnInvalidOption;
    return job;
}

void TCustomEncoder::CopyTimeouts(TFFmpeg& AJob) const
{
    AJob.FReadTimeout = ReadTimeout();
    AJob.FWriteTimeout = WriteTimeout();
}

TFFmpeg& TCustomEncoder::JobToBuild(const char* ACheckWord, int ATaskIndex)
{
    CheckWorking(ACheckWord);
    TFFmpeg& job = *FFFmpegList.Item(ATaskIndex);
    job.HaltOnInvalidOption = FHaltOnInvalidOption;
    CopyTimeouts(job);
    return job;
}

int TCustomEncoder::Outcome(const TFFmpeg& AJob, int AResult)
{
    if (AResult < 0)
        FLastErrMsg = AJob.FLastErrMsg;
    return AResult;
}

void TCustomEncoder::SetPreview(bool AValue)
{
    FPreview = AValue;
    FFFmpegList.SetPostHook(phPreview, AValue);
}

void TCustomEncoder::SetPreviewBitmap(bool AValue)
{
    FPreviewBitmap = AValue;
    FFFmpegList.SetPostHook(phBitmap, AValue);
}

int TCustomEncoder::AddTask(const std::string& AFileName, const TInputOptions* AOptions)
{
    CheckWorking("AddTask");
    std::unique_ptr<TFFmpeg> job = NewJob();
    CopyTimeouts(*job);
    const int ret = job->AddInput(AFileName, AOptions ? *AOptions : TInputOptions {});
    if (ret < 0) {
        FLastErrMsg = job->FLastErrMsg;
        return ret;
    }
    job->FOnProgress = [this](TCustomFFmpeg* ASender, const TProgressValues& AValues) {
        DoProgress(static_cast<TFFmpeg*>(ASender), AValues);
    };
    job->FOnTerminate = [this](TFFmpeg* ASender) { DoTerminate(ASender); };
    return FFFmpegList.Add(std::move(job));
}

int TCustomEncoder::AddTask(
    const std::string& AFileName, const std::string& AOptions, const std::string& APresets)
{
    const TInputOptions options = MakeInputOptions(AFileName, AOptions, APresets);
    return AddTask(AFileName, &options);
}

int TCustomEncoder::AddTask(
    const void* AStream, const std::string& APrivateData, const TInputOptions* AOptions)
{
    return AddTask(StreamName(AStream, APrivateData), AOptions);
}

int TCustomEncoder::AddTask(const void* AStream, const std::string& APrivateData,
    const std::string& AOptions, const std::string& APresets)
{
    return AddTask(StreamName(AStream, APrivateData), AOptions, APresets);
}

int TCustomEncoder::AddInput(int ATaskIndex, const std::string& AFileName, const TInputOptions* AOptions)
{
    TFFmpeg& job = JobToBuild("AddInput", ATaskIndex);
    return Outcome(job, job.AddInput(AFileName, AOptions ? *AOptions : TInputOptions {}));
}

int TCustomEncoder::AddInput(int ATaskIndex, const std::string& AFileName,
    const std::string& AOptions, const std::string& APresets)
{
    const TInputOptions options = MakeInputOptions(AFileName, AOptions, APresets);
    return AddInput(ATaskIndex, AFileName, &options);
}

int TCustomEncoder::AddInput(
    int ATaskIndex, const void* AStream, const std::string& APrivateData, const TInputOptions* AOptions)
{
    return AddInput(ATaskIndex, StreamName(AStream, APrivateData), AOptions);
}

int TCustomEncoder::AddInput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
    const std::string& AOptions, const std::string& APresets)
{
    return AddInput(ATaskIndex, StreamName(AStream, APrivateData), AOptions, APresets);
}

int TCustomEncoder::SetOutput(int ATaskIndex, const std::string& AFileName, const TOutputOptions* AOptions)
{
    TFFmpeg& job = JobToBuild("SetOutput", ATaskIndex);
    if (AOptions)
        ConnectHooks(job, *AOptions);
    return Outcome(job, job.SetOutput(AFileName, AOptions ? *AOptions : TOutputOptions {}));
}

int TCustomEncoder::SetOutput(int ATaskIndex, const std::string& AFileName,
    const std::string& AOptions, const std::string& APresets)
{
    const TOutputOptions options = MakeOutputOptions(AFileName, AOptions, APresets);
    return SetOutput(ATaskIndex, AFileName, &options);
}

int TCustomEncoder::SetOutput(
    int ATaskIndex, const void* AStream, const std::string& APrivateData, const TOutputOptions* AOptions)
{
    return SetOutput(ATaskIndex, StreamName(AStream, APrivateData), AOptions);
}

int TCustomEncoder::SetOutput(int ATaskIndex, const void* AStream, const std::string& APrivateData,
    const std::string& AOptions, const std::string& APresets)
{
    return SetOutput(ATaskIndex, StreamName(AStream, APrivateData), AOptions, APresets);
}

void TCustomEncoder::ClearTasks()
{
    if (FWorking && !FTerminated)
        throw std::runtime_error("Cannot ClearTasks while working.");
    if (FStartDepth > 0) {
        // From an event of a run in the calling thread: the ended jobs' code is still
        // on the stack, so they are freed when Start returns.
        for (auto& job : FFFmpegList.TakeAll())
            FRetired.push_back(std::move(job));
    } else {
        FFFmpegList.Clear();
    }
    ReapDeliveries(false);
    FLastErrMsg.clear();
    std::lock_guard guard(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = -1;
    FPendingTasks = 0;
    FTerminated = false;
    FThreadMode = false;
    FWorking = false;
    FPaused = false;
}

void TCustomEncoder::Exchange(int AIndex1, int AIndex2)
{
    CheckWorking("Exchange");
    FFFmpegList.Exchange(AIndex1, AIndex2);
}

void TCustomEncoder::RemoveTask(int ATaskIndex)
{
    CheckWorking("RemoveTask");
    FFFmpegList.Delete(ATaskIndex);
}

TFFDecoder* TCustomEncoder::Decoders(int ATaskIndex, int AInputIndex) const
{
    return FFFmpegList.Item(ATaskIndex)->Decoder(AInputIndex);
}

bool TCustomEncoder::LoadAVLib(const std::string& APath)
{
    FFLoader().SetLibraryPath(APath);
    if (FFLoader().Load(AllLibraries))
        return true;
    FLastErrMsg = FFLoader().LastErrMsg();
    return false;
}

bool TCustomEncoder::AVLibLoaded() const { return FFLoader().Loaded(AllLibraries); }

void TCustomEncoder::UnloadAVLib() { FFLoader().Unload(AllLibraries); }
