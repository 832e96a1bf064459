// The hooks: the decoded audio, and the video-only picture and frame hooks and
// preview, relayed from the jobs to the application.

#include "engine/CustomEncoder.h"

void TCustomEncoder::ConnectHooks(TFFmpeg& AJob, const TOutputOptions& AOptions)
{
    if (AOptions.AudioHook)
        AJob.FOnAudioHook
            = [this](TCustomFFmpeg* ASender, const uint8_t* AData, AVSampleFormat AFormat,
                  int AChannels, int ASampleRate, int ASize, int64_t APts) {
                  if (!OnAudioHook)
                      return;
                  std::lock_guard guard(FAudioHookLock);
                  OnAudioHook(this, GetTaskIndex(static_cast<TFFmpeg*>(ASender)), APts, AData,
                      ASize, ASampleRate, AChannels, AFormat);
              };
    if (AOptions.VideoInputHook)
        AJob.FOnVideoInputHook = Relay(&TCustomEncoder::DoInputVideoHook);
    if (AOptions.VideoOutputHook)
        AJob.FOnVideoOutputHook = Relay(&TCustomEncoder::DoOutputVideoHook);
    if (AOptions.FrameInputHook)
        AJob.FOnFrameInputHook = Relay(&TCustomEncoder::DoInputFrameHook);
    if (AOptions.FrameOutputHook)
        AJob.FOnFrameOutputHook = Relay(&TCustomEncoder::DoOutputFrameHook);
}

template <typename TInfo>
std::function<void(TCustomFFmpeg*, TInfo&)> TCustomEncoder::Relay(
    void (TCustomEncoder::*AHandler)(TFFmpeg*, TInfo&))
{
    return [this, AHandler](TCustomFFmpeg* ASender, TInfo& AInfo) {
        (this->*AHandler)(static_cast<TFFmpeg*>(ASender), AInfo);
    };
}

template <typename TInfo, typename TEvent>
void TCustomEncoder::RaiseRecord(
    std::mutex& ALock, TInfo& ARecord, const TEvent& AEvent, TFFmpeg* AJob, TInfo& AInfo)
{
    if (!AEvent)
        return;
    std::lock_guard guard(ALock);
    ARecord = AInfo;
    ARecord.TaskIndex = GetTaskIndex(AJob);
    RaiseEvent([&] { AEvent(this, &ARecord); });
    AInfo = ARecord;
}

void TCustomEncoder::DoInputVideoHook(TFFmpeg* AJob, THookInfo& AInfo)
{
    RaiseRecord(FVideoHookLock, FVideoHookInfo, OnVideoInputHook, AJob, AInfo);
}

void TCustomEncoder::DoOutputVideoHook(TFFmpeg* AJob, THookInfo& AInfo)
{
    RaiseRecord(FVideoHookLock, FVideoHookInfo, OnVideoOutputHook, AJob, AInfo);
}

void TCustomEncoder::DoInputFrameHook(TFFmpeg* AJob, TFrameHookInfo& AInfo)
{
    RaiseRecord(FFrameHookLock, FFrameHookInfo, OnFrameInputHook, AJob, AInfo);
}

void TCustomEncoder::DoOutputFrameHook(TFFmpeg* AJob, TFrameHookInfo& AInfo)
{
    RaiseRecord(FFrameHookLock, FFrameHookInfo, OnFrameOutputHook, AJob, AInfo);
}

void TCustomEncoder::DoPreviewBitmap(TFFmpeg* AJob, const TPreviewInfo& AInfo)
{
    TPreviewInfo info = AInfo;
    RaiseRecord(FPreviewLock, FPreviewInfo, OnPreviewBitmap, AJob, info);
}
