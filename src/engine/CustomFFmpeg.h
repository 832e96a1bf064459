#pragma once
// One conversion job: its inputs and outputs are opened while the job is built (on the
// application's thread), then the conversion runs on one thread, the job's worker.

#include "engine/EncoderTypes.h"
#include "engine/JobRecords.h"
#include "engine/SampleBuffer.h"
#include "media/ErrorText.h"
#include "media/FFLogger.h"
#include "media/FFOptions.h"
#include "media/JobSettings.h"
#include "media/ManualResetEvent.h"
#include "media/OptionsContext.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// What a job reports as progress; times in microseconds, sizes in bytes.
struct TProgressValues {
    int FileIndex = 0;
    int64_t TotalDuration = -1;
    int64_t CurrentDuration = 0;
    int64_t CurrentSize = 0;
    float BitRate = 0;
    float Quality = -1;
    int FPS = -1;
    int FrameNumber = -1;
};

class TCustomFFmpeg {
public:
    using TProgressSlot = std::function<void(TCustomFFmpeg* ASender, const TProgressValues&)>;

    TCustomFFmpeg();
    virtual ~TCustomFFmpeg();
    TCustomFFmpeg(const TCustomFFmpeg&) = delete;
    TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

    // Set-up, on the thread that builds the job. Results as the library's codes:
    // the new index, or negative with FLastErrMsg set.
    int OpenInputFile(const std::string& AFileName);
    int OpenOutputFile(const std::string& AFileName, bool AJoin);
    int PrepareJoin();

    // The conversion proper; raises FFmpegException when the job fails.
    void Convert();
    // Closes the codecs this job opened and has not closed yet (all of them after a
    // failure); the engine's list of open codecs then holds none of the job's.
    void CloseCodecs();
    // Closes files and contexts, renames or removes the output, frees buffers.
    void ReleaseResources();

    int InputCount() const { return static_cast<int>(FInputFiles.size()); }
    int OutputCount() const { return static_cast<int>(FOutputFiles.size()); }
    AVFormatContext* InputContext(int AIndex) const { return FInputFiles[AIndex].ctx.get(); }

    // The option store of the job: the per-file context, the library option
    // dictionaries and the job-wide settings.
    TOptionsContext FOptions;
    TFFOptions FFFOptions;
    TJobSettings FSettings;
    bool HaltOnInvalidOption = true;

    // Set from any thread to stop the job; the worker reads it once a round.
    std::atomic<bool> FBroken { false };
    // Closed while the job is paused: the worker waits at the top of the packet
    // loop, where it holds nothing another thread may wait for.
    TManualResetEvent FPauseGate { true };
    bool FFinished = false;
    std::string FLastErrMsg;
    int64_t FInputDuration = -1;
    int64_t FOutputDuration = -1;
    bool FJoinMode = false;
    int FReadTimeout = 30000;
    int FWriteTimeout = 30000;
    int64_t ReportInterval = 500000;
    TProgressSlot FOnProgress;
    // Each decoded audio frame before the volume changes it: data (first plane), format,
    // channels, sample rate, size in bytes, input timestamp.
    std::function<void(TCustomFFmpeg* ASender, const uint8_t* AData, AVSampleFormat AFormat,
        int AChannels, int ASampleRate, int ASize, int64_t APts)>
        FOnAudioHook;
    // Raised after an input is opened and before its streams are probed.
    std::function<void(TCustomFFmpeg* ASender, AVFormatContext* AContext)> FOnBeforeFindStreamInfo;
    // Video only: the preview picture, and the hooks on pictures and frames before
    // and after encoding. Audio jobs never raise them.
    std::function<void(TCustomFFmpeg* ASender, const TPreviewInfo& AInfo)> FOnPreviewBitmap;
    std::function<void(TCustomFFmpeg* ASender, THookInfo& AInfo)> FOnVideoInputHook;
    std::function<void(TCustomFFmpeg* ASender, THookInfo& AInfo)> FOnVideoOutputHook;
    std::function<void(TCustomFFmpeg* ASender, TFrameHookInfo& AInfo)> FOnFrameInputHook;
    std::function<void(TCustomFFmpeg* ASender, TFrameHookInfo& AInfo)> FOnFrameOutputHook;

    // The preview flags; set from the UI thread at any time.
    void SetPostHook(TPostHook AHook, bool AValue)
    {
        if (AValue)
            FPostHooks |= 1u << AHook;
        else
            FPostHooks &= ~(1u << AHook);
    }
    bool PostHook(TPostHook AHook) const { return FPostHooks & (1u << AHook); }

private:
    friend int ReadInterruptCallback(void* AJob);
    friend int WriteInterruptCallback(void* AJob);

    // set-up
    void CheckOutputIsNotInput(const std::string& AFileName);
    void OpenOutputStreams(int AFileIndex, AVFormatContext* AOc, bool AAllInputs);
    void OpenMappedStreams(int AFileIndex, AVFormatContext* AOc);
    int ChooseSource(AVMediaType AType, int AFirstInput, int ALastInput) const;
    AVStream* NewLibraryStream(AVFormatContext* AOc);
    TOutputStream& NewOutputStream(int AFileIndex, AVFormatContext* AOc, int ASource);
    void MapChannels(TOutputStream& AOst);
    void AddAttachments(int AFileIndex, AVFormatContext* AOc);
    void CopyAttachment(int AFileIndex, AVFormatContext* AOc, int ASource);
    void AddAttachmentStream(int AFileIndex, AVStream* AStream, const std::string& AName);
    void CopyChapters(AVFormatContext* AOc, const TOutputFile& AOf, bool AJoining);
    void ApplyMetadataMaps(AVFormatContext* AOc);
    void SetMetadata(AVFormatContext* AOc, const TSpecifierOpt& AOpt);
    void DumpAttachments(AVFormatContext* AIc, int AFileIndex);
    void DumpAttachment(const AVStream* AStream, int AFileIndex, const std::string& AAsked);
    int OpenOutputTarget(TOutputFile& AOf, AVFormatContext* AOc);
    void CopyMetadata(AVFormatContext* AOc, int AFileIndex, int64_t ARecordingTime);
    void AddInputStreams(AVFormatContext* AIc, int AFileIndex);

    // run start-up
    int TranscodeInit();
    int SetupAudioEncoder(TOutputStream& AOst);
    void SetupChannels(TOutputStream& AOst, const AVChannelLayout& ASource);
    int SetupStreamCopy(TOutputStream& AOst);
    const char* VideoCopyRefusal() const;
    int InitBitstreamFilters(TOutputStream& AOst);
    int OpenEncoder(TOutputStream& AOst, std::string& AError);
    int OpenWithLayoutFallback(TOutputStream& AOst);
    int OpenDecoder(TInputStream& AIst, std::string& AError);
    void LogStreamMapping();

    // loop
    void TranscodeLoop();
    int ChooseInputFile(const std::vector<char>& ANoPacket) const;
    double OutputTime(const TOutputStream& AOst) const;
    int64_t StreamEndTime(const TOutputStream& AOst) const;
    void ProcessPacket(int AFileIndex, AVPacket* APkt);
    int DecodePacket(TInputStream& AIst, const AVPacket* APkt);
    void WarnMultipleFrames(TInputStream& AIst);
    void WaitRateEmulation(const TInputStream& AIst) const;
    void HandleAudioFrame(TInputStream& AIst, AVFrame* AFrame);
    void CopyPacket(TInputStream& AIst, TOutputStream& AOst, AVPacket* APkt);
    void FlushDecoders(int AFileIndex);
    void JoinSwitch();
    void ProgressReport(bool ALast, int AFileIndex);
    void WriteTrailers();
    void CloseOutputs();

    // audio encoding stage
    void DoAudioOut(TOutputStream& AOst, TInputStream& AIst, const AVFrame* AFrame, int AFirst,
        int ACount);
    void SetupConverter(TOutputStream& AOst, const AVFrame* AFrame);
    bool SyncAudio(TOutputStream& AOst, TInputStream& AIst, const AVFrame* AFrame, int& AFirst,
        int& ACount);
    void PutSamples(TOutputStream& AOst, uint8_t* const* AData, int ASamples);
    void PutSilence(TOutputStream& AOst, int ASamples);
    void EncodeFifo(TOutputStream& AOst, bool AFinal);
    void EncodeSamples(TOutputStream& AOst, int ASamples);
    void EncodeFrame(TOutputStream& AOst, AVFrame* AFrame);
    void WritePacket(TOutputStream& AOst, AVPacket* APkt);
    bool FilterPacket(TOutputStream& AOst, AVPacket* APkt);
    void FlushEncoders(int ABound);

    [[noreturn]] void Fatal(const std::string& AText);
    void ResetOptions(bool AAfterInput);

    std::vector<TInputFile> FInputFiles;
    std::vector<TInputStream> FInputStreams;
    std::vector<TOutputFile> FOutputFiles;
    std::vector<TOutputStream> FOutputStreams;

    std::atomic<unsigned> FPostHooks { 0 };
    std::atomic<int64_t> FLastRead { INT64_MAX };
    std::atomic<int64_t> FLastWrite { INT64_MAX };
    // After the packet loop: a stop no longer aborts writes, so the trailer lands.
    std::atomic<bool> FFinishing { false };

    int FJoinIndex = 0;
    int64_t FLoopStart = 0;
    int64_t FAudioSize = 0;
    int64_t FExtraSize = 0;
    std::string FLastDecodeError;  // the last packet that failed to decode
    TFramePtr FDecodedFrame;
    TFramePtr FEncodeFrame;
    TPacketPtr FEncodedPacket;
    // Converted samples before they enter a FIFO.
    TSampleBuffer FConvertBuf;
    std::vector<uint8_t*> FPlanes;
    int FEncodeFrameCapacity = 0;
};
