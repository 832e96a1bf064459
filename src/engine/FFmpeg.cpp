#include "engine/FFmpeg.h"

#include "media/FFmpegException.h"

TFFmpeg::TFFmpeg()
    : FParser(FOptions, FSettings, FFFOptions, this)
{
    FParser.SetInputFiles([this](int AIndex) -> const AVFormatContext* {
        return AIndex >= 0 && AIndex < InputCount() ? InputContext(AIndex) : nullptr;
    });
}

TFFmpeg::~TFFmpeg() { Stop(); }

void TFFmpeg::ParseOptions(const std::string& AOptions, const std::string& APresets)
{
    FParser.SetHaltOnInvalidOption(HaltOnInvalidOption);
    FParser.ParseOptions(AOptions);
    FParser.ParsePresets(APresets);
}

int TFFmpeg::AddInput(const std::string& AFileName, const TInputOptions& AOptions)
{
    TInputOptions copy = AOptions;
    if (copy.FileName.empty())
        copy.FileName = AFileName;
    FInputOptions.push_back(copy);
    try {
        ParseOptions(copy.Options, copy.Presets);
        return OpenInputFile(AFileName);
    } catch (const std::exception& e) {
        FLastErrMsg = e.what();
        return -1;
    }
}

int TFFmpeg::SetOutput(const std::string& AFileName, const TOutputOptions& AOptions)
{
    TOutputOptions copy = AOptions;
    if (copy.FileName.empty())
        copy.FileName = AFileName;
    FOutputOptions.push_back(copy);
    try {
        ParseOptions(copy.Options, copy.Presets);
        int index = OpenOutputFile(AFileName, copy.Join);
        if (index < 0 || !FJoinMode)
            return index;
        return PrepareJoin();
    } catch (const std::exception& e) {
        FLastErrMsg = e.what();
        return -1;
    }
}

void TFFmpeg::StartConvert()
{
    if (FConverting || FTerminated)
        return;
    const char* missing = OutputCount() == 0 ? "At least one output file must be specified"
        : InputCount() == 0                  ? "At least one input file must be specified"
                                             : nullptr;
    if (missing) {
        ReleaseResources();
        GetLogger().Log(this, llError, missing);
        FFatalException = true;
        FFatalMessage = missing;
        Terminate();
        return;
    }
    FConverting = true;
    FBroken = false;
    FFinished = false;
    FTerminated = false;
    RunBody();
}

void TFFmpeg::RunBody()
{
    FFinished = false;
    Guarded([this] { Convert(); });
    Guarded([this] { CloseCodecs(); });
    Guarded([this] { ReleaseResources(); });
    Terminate();
}

void TFFmpeg::Guarded(const std::function<void()>& AStep)
{
    try {
        AStep();
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

void TFFmpeg::Fail(const std::string& AMessage)
{
    GetLogger().Log(this, llQuiet, AMessage);
    FFatalException = true;
    FFatalMessage = AMessage;
}

void TFFmpeg::Terminate()
{
    FConverting = false;
    FTerminated = true;
    if (FOnTerminate)
        FOnTerminate(this);
}
