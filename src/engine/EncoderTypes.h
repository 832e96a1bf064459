#pragma once
// The records and event types the encoder hands to the application.

#include <cstdint>
#include <functional>
#include <string>

extern "C" {
#include <libavutil/samplefmt.h>
}

struct AVFormatContext;
class TCustomEncoder;
class TFFmpeg;

struct TProgressInfo {
    int32_t TaskIndex = 0;
    int32_t FileIndex = 0;
    int32_t FrameNumber = -1;
    int32_t FPS = -1;
    float Quality = -1;
    float BitRate = 0;
    int64_t CurrentSize = 0;
    int64_t CurrentDuration = 0;
    int64_t TotalDuration = -1;
};

struct TTerminateInfo {
    int32_t TaskIndex = 0;
    bool Finished = false;
    bool Exception = false;
    std::string ExceptionMsg;
};

// Records of the video-only events. The application's interface carries them; this
// program's audio jobs never raise those events.
struct TPreviewInfo {
    int32_t TaskIndex = 0;
    const void* Bitmap = nullptr;  // the picture to show
    int32_t BitsPixel = 0;
    int32_t FrameNumber = 0;
    int64_t PTS = 0;
};

struct THookInfo {
    int32_t TaskIndex = 0;
    void* Bitmap = nullptr;  // the picture, which the handler may change in place
    int32_t FrameNumber = 0;
    int64_t PTS = 0;
    bool Update = false;  // set by the handler when it changed the picture
};

struct TFrameHookInfo {
    int32_t TaskIndex = 0;
    void* Picture = nullptr;
    int32_t PixFmt = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t FrameNumber = 0;
    int64_t PTS = 0;
    bool Update = false;
};

// What a job does with its video besides encoding it.
enum TPostHook { phPreview, phBitmap };

// Worker priorities; below normal lowers the worker's nice value, above normal is
// left to the system (raising needs privileges a desktop user does not have).
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TProgressEvent = std::function<void(TCustomEncoder* Sender, const TProgressInfo* AProgressInfo)>;
using TTerminateEvent = std::function<void(TCustomEncoder* Sender, const TTerminateInfo& ATerminateInfo)>;
using TBeforeFindStreamInfoRelay = std::function<void(TFFmpeg* Sender, AVFormatContext* AFormatContext)>;
using TPreviewBitmapEvent = std::function<void(TCustomEncoder* Sender, const TPreviewInfo* APreviewInfo)>;
using TVideoHookEvent = std::function<void(TCustomEncoder* Sender, THookInfo* AHookInfo)>;
using TFrameHookEvent = std::function<void(TCustomEncoder* Sender, TFrameHookInfo* AFrameHookInfo)>;
using TAudioHookEvent = std::function<void(TCustomEncoder* Sender, int ATaskIndex, int64_t APTS,
    const uint8_t* ASample, int ASize, int ASampleRate, int AChannels, AVSampleFormat ASampleFormat)>;
