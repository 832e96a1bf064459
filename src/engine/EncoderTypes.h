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

// Worker priorities; below normal lowers the worker's nice value, above normal is
// left to the system (raising needs privileges a desktop user does not have).
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TProgressEvent = std::function<void(TCustomEncoder* Sender, const TProgressInfo* AProgressInfo)>;
using TTerminateEvent = std::function<void(TCustomEncoder* Sender, const TTerminateInfo& ATerminateInfo)>;
using TBeforeFindStreamInfoRelay = std::function<void(TFFmpeg* Sender, AVFormatContext* AFormatContext)>;
using TAudioHookEvent = std::function<void(TCustomEncoder* Sender, int ATaskIndex, int64_t APTS,
    const uint8_t* ASample, int ASize, int ASampleRate, int AChannels, AVSampleFormat ASampleFormat)>;
