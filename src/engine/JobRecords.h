#pragma once
// The per-input and per-output records of one job. All of them belong to the job and
// are touched only by the thread that builds the job, then by its worker.

#include "engine/LibAVHandles.h"
#include "media/AVDict.h"

#include <cstdint>
#include <string>
#include <vector>

struct TInputFile {
    TInputContextPtr ctx;
    std::string name;
    bool eof_reached = false;
    int ist_index = 0;
    int nb_streams = 0;
    int64_t ts_offset = 0;
    int rate_emu = 0;
    // Trim start asked for this input; decoded samples before it are dropped.
    int64_t start_time = 0;
};

struct TInputStream {
    int file_index = 0;
    AVStream* st = nullptr;
    bool discard = true;
    bool decoding_needed = false;
    const AVCodec* avdec = nullptr;
    TCodecContextPtr dec;
    int64_t next_pts = AV_NOPTS_VALUE;
    int64_t pts = 0;
    double ts_scale = 1.0;
    bool is_start = true;
    // Clock reading when the run began; reading at native speed paces against it.
    int64_t start = 0;
    bool showed_multi_packet_warning = false;
    TAVDict opts;
    bool decoder_flushed = false;
};

struct TOutputFile {
    AVFormatContext* ctx = nullptr;  // owned by the job, freed with its resources
    TAVDict opts;
    int ost_index = 0;
    int64_t recording_time = INT64_MAX;
    int64_t start_time = 0;
    int64_t limit_filesize = INT64_MAX;
    std::string target;  // the name the user asked for
    std::string temp;    // written here, renamed over the target at the end
    bool header_written = false;
    bool trailer_written = false;
};

struct TOutputStream {
    int file_index = 0;
    int index = 0;
    int source_index = -1;
    // Joining: the input stream that feeds this stream from each input, -1 for none.
    std::vector<int> join_sources;
    AVStream* st = nullptr;
    bool encoding_needed = false;
    bool stream_copy = false;
    int64_t sync_opts = 0;
    const AVCodec* codec = nullptr;
    TCodecContextPtr enc;
    int64_t max_frames = INT64_MAX;
    bool audio_resample = false;
    // Source channel per output channel, -1 for a muted one. The converter keeps a
    // pointer to it, so a stream must not move while its converter lives.
    int audio_channels_map[16] = {};
    int audio_channels_mapped = 0;
    AVSampleFormat resample_sample_fmt = AV_SAMPLE_FMT_NONE;
    int resample_channels = 0;
    int resample_sample_rate = 0;
    float rematrix_volume = 1.0f;
    int requested_channels = 0;
    int requested_sample_rate = 0;
    AVSampleFormat requested_sample_fmt = AV_SAMPLE_FMT_NONE;
    // Bitstream filters applied to every packet before it is written, in order.
    std::vector<const AVBitStreamFilter*> bitstream_filters;
    std::vector<TBsfPtr> bsfs;
    TAudioFifoPtr fifo;
    TSwrPtr swr;
    TAVDict opts;
    bool is_past_recording_time = false;
    // A file attached whole to the output: such a stream has no source and no packets.
    std::string attachment_filename;
    bool encoder_flushed = false;
    int64_t last_dts = AV_NOPTS_VALUE;
    // End of the last packet written, in the stream's time base; the output time
    // reached by this stream.
    int64_t mux_end = AV_NOPTS_VALUE;
};

// The time base packets are handed to WritePacket in: the first bitstream filter's,
// else the muxer's.
inline AVRational PacketTimeBase(const TOutputStream& AOst)
{
    return AOst.bsfs.empty() ? AOst.st->time_base : AOst.bsfs.front()->time_base_in;
}
