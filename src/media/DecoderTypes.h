#pragma once
// What a decoder reports about a file and its streams, and the chunk of PCM it
// last decoded. Times are microseconds unless a field says otherwise.

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

struct TFileStreamInfo {
    int64_t StartTime = AV_NOPTS_VALUE;
    int64_t Duration = -1;
    int BitRate = -1;
    int64_t TimeStamp = -1;
    int Year = -1;
    int Track = -1;
    std::string Title;
    std::string Author;
    std::string Copyright;
    std::string Comment;
    std::string Album;
    std::string Genre;
};

// What every stream record holds.
struct TStreamInfoBase {
    std::string Language;
    std::string CodecName;
};

// Audio and video streams add their times and bit rate. The plain times are in the
// stream's time base, the scaled ones in microseconds.
struct TTimedStreamInfo : TStreamInfoBase {
    int64_t StartTime = -1;
    int64_t StartTimeScaled = -1;
    int64_t Duration = -1;
    int64_t DurationScaled = -1;
    int BitRate = -1;
};

struct TAudioStreamInfo : TTimedStreamInfo {
    int Channels = -1;
    int SampleRate = -1;
    AVSampleFormat SampleFormat = AV_SAMPLE_FMT_NONE;
};

struct TVideoStreamInfo : TTimedStreamInfo {
    int Height = -1;
    int Width = -1;
    float AspectRatio = -1;
    int PixFmt = -1;
    AVRational FrameRate { -1, -1 };
};

struct TSubtitleStreamInfo : TStreamInfoBase { };

// The last decoded chunk of audio, already in the desired PCM format.
struct TWaveInfo {
    int Channels = 0;
    int SampleRate = 0;
    AVSampleFormat SampleFormat = AV_SAMPLE_FMT_NONE;
    int BytesPerSample = 0;
    int BytesPerSecond = 0;
    int64_t PTS = AV_NOPTS_VALUE;
    int64_t OriginalDTS = AV_NOPTS_VALUE;
    int64_t OriginalPTS = AV_NOPTS_VALUE;
    int StreamIndex = -1;
    bool Ready = false;
    const uint8_t* Buffer = nullptr;
    int Size = 0;
    int64_t Duration = AV_NOPTS_VALUE;
};

// Seek flags; the values are the library's AVSEEK_FLAG_* bits.
enum TSeekFlag : int {
    sfBackward = 1,
    sfByte = 2,
    sfAny = 4,
    sfFrame = 8,
};
using TSeekFlags = int;
