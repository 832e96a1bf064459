#pragma once
// Opens one media file through libavformat and answers questions about it: format,
// duration, bit rate, tags, streams and a printable description.

#include "media/DecoderTypes.h"
#include "media/FFBaseComponent.h"
#include "media/FFLogger.h"
#include "media/FFOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct AVFormatContext;
struct AVStream;

class TCustomDecoder;
using TBeforeFindStreamInfoEvent = std::function<void(TCustomDecoder* Sender, AVFormatContext* AFormatContext)>;
using TMetadataList = std::vector<std::pair<std::string, std::string>>;

class TCustomDecoder : public TFFBaseComponent {
public:
    TCustomDecoder();
    virtual ~TCustomDecoder();

    // Opens and probes a file; AFormatName forces an input format. False with
    // LastErrMsg on failure, and the decoder is closed.
    // The decoders' library set through the process-wide loader.
    bool LoadAVLib(const std::string& APath);
    bool AVLibLoaded() const;
    void UnloadAVLib();

    bool LoadFile(const std::string& AFileName, const std::string& AFormatName = {});
    virtual void CloseFile();
    // One library option (format or codec) for the next LoadFile only.
    bool opt_default(const std::string& opt, const std::string& arg);

    // An input opened elsewhere: stream queries work on it; it is never closed here.
    AVFormatContext* FileHandle() const { return FFileHandle; }
    void SetFileHandle(AVFormatContext* AHandle);

    std::string FileName();
    std::string FormatName();
    std::string FormatLongName();
    int64_t FileSize() const { return FFileSize; }
    const std::string& ForceFormat() const { return FForceFormat; }
    const std::string& LastErrMsg() const { return FLastErrMsg; }

    int StreamCount() const { return FStreamCount; }
    int ProgramCount() const { return FProgramCount; }
    int AudioStreamCount() const { return FAudioStreamCount; }
    int VideoStreamCount() const { return FVideoStreamCount; }
    int SubtitleStreamCount() const { return FSubtitleStreamCount; }
    int FirstAudioStreamIndex() const { return FFirstAudioStreamIndex; }
    int FirstVideoStreamIndex() const { return FFirstVideoStreamIndex; }
    int FirstSubtitleStreamIndex() const { return FFirstSubtitleStreamIndex; }

    bool IsAudioStream(int AStreamIndex);
    bool IsVideoStream(int AStreamIndex);
    bool IsSubtitleStream(int AStreamIndex);

    TFileStreamInfo FileStreamInfo();
    // Every tag of the file, in the order the container holds them, followed by those
    // that only its first audio stream carries.
    TMetadataList FileMetadata();
    std::string FileInfoText();
    TAudioStreamInfo GetAudioStreamInfo(int AStreamIndex);
    TVideoStreamInfo GetVideoStreamInfo(int AStreamIndex);
    TSubtitleStreamInfo GetSubtitleStreamInfo(int AStreamIndex);
    TAudioStreamInfo FirstAudioStreamInfo() { return GetAudioStreamInfo(-1); }
    TVideoStreamInfo FirstVideoStreamInfo() { return GetVideoStreamInfo(-1); }
    TSubtitleStreamInfo FirstSubtitleStreamInfo() { return GetSubtitleStreamInfo(-1); }

    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
    void SetOnBeforeFindStreamInfo(TBeforeFindStreamInfoEvent AEvent) { FOnBeforeFindStreamInfo = std::move(AEvent); }

protected:
    // Keeps the text as LastErrMsg and logs it.
    void ReportError(TLogLevel ALevel, const std::string& AMsg);
    void Log(TLogLevel ALevel, const std::string& AMsg) const;
    // printf-style; formatted only when the logger lets the level pass.
    template <typename... Args>
    requires(sizeof...(Args) > 0) void Log(TLogLevel ALevel, const char* AFormat, const Args&... AArgs) const
    {
        GetLogger().Log(this, ALevel, AFormat, AArgs...);
    }
    // The input when one is open, else reports "file not loaded." and gives none.
    AVFormatContext* LoadedHandle();
    // The stream when the index is valid for a stream of that media type; else reports why.
    AVStream* StreamOfType(int AStreamIndex, int AMediaType, int AFirstIndex, const char* AKindName);
    bool IsStreamOfType(int AStreamIndex, int AMediaType);

    AVFormatContext* FFileHandle = nullptr;
    bool FOwnHandle = false;
    int64_t FLastRead = 0;

private:
    static int InterruptCallback(void* AOpaque);
    bool FindStreamInfo(const std::string& AFileName);
    void MeasureGuessedDuration(const std::string& AFileName);
    void FireBeforeFindStreamInfo();
    void DoFileLoaded();
    std::string StreamLine(int AIndex) const;

    TFFOptions FOptions;
    bool FLoading = false;
    std::string FLastErrMsg;
    std::string FForceFormat;
    int64_t FFileSize = -1;
    int FStreamCount = -1;
    int FProgramCount = -1;
    int FAudioStreamCount = -1;
    int FVideoStreamCount = -1;
    int FSubtitleStreamCount = -1;
    int FFirstAudioStreamIndex = -1;
    int FFirstVideoStreamIndex = -1;
    int FFirstSubtitleStreamIndex = -1;
    bool FTriggerEventInMainThread = true;
    TBeforeFindStreamInfoEvent FOnBeforeFindStreamInfo;
};
