#pragma once
// Owning pointers for the library objects that the media layer keeps.

#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

struct LibAVDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
    void operator()(AVFrame* p) const { av_frame_free(&p); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
    void operator()(SwrContext* p) const { swr_free(&p); }
    void operator()(AVAudioFifo* p) const { av_audio_fifo_free(p); }
    void operator()(AVBSFContext* p) const { av_bsf_free(&p); }
    void operator()(AVIOContext* p) const { avio_closep(&p); }
    void operator()(uint8_t* p) const { av_free(p); }
};

// An opened input; avformat_close_input also frees a context that was never opened.
using FormatContextPtr = std::unique_ptr<AVFormatContext, LibAVDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, LibAVDeleter>;
using FramePtr = std::unique_ptr<AVFrame, LibAVDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, LibAVDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, LibAVDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, LibAVDeleter>;
using BsfContextPtr = std::unique_ptr<AVBSFContext, LibAVDeleter>;
using AvioContextPtr = std::unique_ptr<AVIOContext, LibAVDeleter>;
// A block from av_malloc.
using LibAVBytesPtr = std::unique_ptr<uint8_t, LibAVDeleter>;
