#pragma once
// Owning handles for the media library objects the engine works with.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <memory>

struct TCodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TFrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct TPacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct TSwrDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct TAudioFifoDeleter {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct TBsfDeleter {
    void operator()(AVBSFContext* b) const { av_bsf_free(&b); }
};
struct TInputContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using TSwrPtr = std::unique_ptr<SwrContext, TSwrDeleter>;
using TAudioFifoPtr = std::unique_ptr<AVAudioFifo, TAudioFifoDeleter>;
using TBsfPtr = std::unique_ptr<AVBSFContext, TBsfDeleter>;
using TInputContextPtr = std::unique_ptr<AVFormatContext, TInputContextDeleter>;

