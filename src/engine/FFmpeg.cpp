#include "engine/FFmpeg.h"

#include "media/OptionParser.h"

#include <chrono>
#include <exception>

TFFmpeg::~TFFmpeg()
{
    Stop(true);
    FWorker.reset();
    FDecoders.clear();  // they look at the input contexts that the core frees
}

void TFFmpeg::ParseOptions(const std::string& AOptions, const std::string& APresets)
{
    TOptionParser parser(FOptions, FSettings, FFFOptions, this);
    parser.SetHaltOnInvalidOption(HaltOnInvalidOption);
    parser.SetInputFiles([this](int AIndex) -> const AVFormatContext* {
        return AIndex >= 0 && AIndex < InputCount() ? InputContext(AIndex) : nullptr;
    });
    parser.ParseOptions(AOptions);
    parser.ParsePresets(APresets);
}

template <typename TOptions>
void TFFmpeg::StoreOptions(std::vector<TOptions>& AList, int AIndex, const TOptions& AOptions,
    const std::string& AFileName)
{
    if (static_cast<int>(AList.size()) <= AIndex)
        AList.resize(AIndex + 1);
    AList[AIndex] = AOptions;
    if (AList[AIndex].FileName.empty())
        AList[AIndex].FileName = AFileName;
}

int TFFmpeg::AddInput(const std::string& AFileName, const TInputOptions& AOptions)
{
    const int index = InputCount();
    int ret = -1;
    try {
        StoreOptions(FInputOptions, index, AOptions, AFileName);
        ParseOptions(AOptions.Options, AOptions.Presets);
        ret = OpenInputFile(AFileName);
    } catch (const std::exception& e) {
        FLastErrMsg = e.what();
    }
    if (ret < 0) {
        FInputOptions.resize(index);
        return ret;
    }
    AttachDecoder(ret);
    return ret;
}

int TFFmpeg::SetOutput(const std::string& AFileName, const TOutputOptions& AOptions)
{
    const int index = OutputCount();
    int ret = -1;
    try {
        StoreOptions(FOutputOptions, index, AOptions, AFileName);
        ParseOptions(AOptions.Options, AOptions.Presets);
        ret = OpenOutputFile(AFileName, AOptions.Join);
        if (ret >= 0 && FJoinMode)
            return PrepareJoin();
    } catch (const std::exception& e) {
        FLastErrMsg = e.what();
    }
    if (ret < 0)
        FOutputOptions.resize(index);
    return ret;
}

void TFFmpeg::AttachDecoder(int AInputIndex)
{
    if (static_cast<int>(FDecoders.size()) <= AInputIndex)
        FDecoders.resize(AInputIndex + 1);
    if (!FDecoders[AInputIndex])
        FDecoders[AInputIndex] = std::make_unique<TFFDecoder>();
    FDecoders[AInputIndex]->SetFileHandle(InputContext(AInputIndex));
}

TFFDecoder* TFFmpeg::Decoder(int AInputIndex) const
{
    if (AInputIndex < 0 || AInputIndex >= static_cast<int>(FDecoders.size()))
        return nullptr;
    return FDecoders[AInputIndex].get();
}

void TFFmpeg::ReleaseMedia()
{
    // The decoders only look at the inputs; detach them before the inputs go.
    for (auto& decoder : FDecoders)
        if (decoder)
            decoder->SetFileHandle(nullptr);
    ReleaseResources();
}

TConvertThread* TFFmpeg::StartConvert(bool AUseThread, TThreadPriority APriority)
{
    bool incomplete = false;
    {
        std::lock_guard guard(FStateLock);
        if (FConverting || FTerminated)
            return nullptr;
        incomplete = OutputCount() == 0 || InputCount() == 0;
        // Claimed here: nothing else may start or end the job now. The stop event is
        // reset before anyone can see the job converting, so that a stop with
        // waiting never returns before the worker has run.
        if (incomplete) {
            FTerminated = true;
        } else {
            FConverting = true;
            if (AUseThread)
                FStopEvent.Reset();
        }
    }
    if (incomplete) {
        const char* text = OutputCount() == 0 ? "At least one output file must be specified"
                                              : "At least one input file must be specified";
        ReleaseMedia();
        Fail(text);
        Terminate();
        return nullptr;
    }
    if (!AUseThread) {
        RunBody();
        return nullptr;
    }
    FWorker = std::make_unique<TConvertThread>(
        [this] {
            RunBody();
            FStopEvent.Set();
        },
        APriority);
    FThread = FWorker.get();
    return FWorker.get();
}

void TFFmpeg::RunBody()
{
    FFinished = false;
    Guarded([this] { Convert(); });
    Guarded([this] { CloseCodecs(); });
    Guarded([this] { ReleaseMedia(); });
    Guarded([this] { Terminate(); });
}

void TFFmpeg::Guarded(const std::function<void()>& AStep)
{
    try {
        AStep();
    } catch (const std::exception& e) {
        GetLogger().Log(this, llQuiet, e.what());
        FFatalException = true;
        FFatalMessage = e.what();
    }
}

void TFFmpeg::Fail(const std::string& AMessage)
{
    GetLogger().Log(this, llError, AMessage);
    FLastErrMsg = AMessage;
    FFatalException = true;
    FFatalMessage = AMessage;
}

void TFFmpeg::Terminate()
{
    FConverting = false;
    FTerminated = true;
    FThread = nullptr;
    if (FOnTerminate)
        FOnTerminate(this);
}

bool TFFmpeg::TerminateUnstarted()
{
    {
        std::lock_guard guard(FStateLock);
        if (FConverting || FTerminated)
            return false;
        FTerminated = true;
    }
    Terminate();
    return true;
}

void TFFmpeg::Stop(bool AWaitForStop)
{
    Stop();
    FPauseGate.Set();
    if (!AWaitForStop || OnWorker())
        return;
    // On the UI thread each slice serves the hand-overs the worker may be waiting for.
    while (!FStopEvent.WaitFor(std::chrono::milliseconds(20))) {
    }
}

void TFFmpeg::Pause()
{
    if (FThread)
        FPauseGate.Reset();
}

void TFFmpeg::Resume() { FPauseGate.Set(); }
