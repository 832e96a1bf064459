#pragma once
// Options collected for the next file a job opens. Opening an input or an output
// consumes them and resets the context.

extern "C" {
#include <libavformat/avformat.h>
}

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

using TOptionValue = std::variant<std::string, int, int64_t, float, double>;

// One occurrence of a per-stream option: the text after the first ":" of the
// option's name, and the value.
struct TSpecifierOpt {
    std::string specifier;
    TOptionValue u;
};
using TSpecList = std::vector<TSpecifierOpt>;

struct TStreamMap {
    int disabled = 0;
    int file_index = 0;
    int stream_index = 0;
    int sync_file_index = 0;
    int sync_stream_index = 0;
};

// -1 in file_idx and stream_idx: a muted channel. -1 in ofile_idx and ostream_idx:
// every output stream.
struct TAudioChannelMap {
    int file_idx = -1;
    int stream_idx = -1;
    int channel_idx = -1;
    int ofile_idx = -1;
    int ostream_idx = -1;
};

// type: 'g' global, 's' stream, 'c' chapter, 'p' program.
struct TMetadataMap {
    int file = 0;
    char type = 'g';
    int index = 0;
};

struct TOptionsContext {
    int64_t start_time = 0;
    std::string format;
    TSpecList codec_names;
    TSpecList audio_channels;
    TSpecList audio_sample_rate;
    TSpecList rematrix_volume;
    TSpecList frame_rates;
    TSpecList frame_sizes;
    TSpecList frame_pix_fmts;
    int64_t input_ts_offset = 0;
    int rate_emu = 0;
    TSpecList ts_scale;
    TSpecList dump_attachment;
    std::vector<TStreamMap> stream_maps;
    std::vector<TAudioChannelMap> audio_channel_maps;
    // [0] what is written into the output, [1] where it is read in the input.
    std::vector<std::array<TMetadataMap, 2>> meta_data_maps;
    int metadata_global_manual = 0;
    int metadata_streams_manual = 0;
    int metadata_chapters_manual = 0;
    std::vector<std::string> attachments;
    int chapters_input_file = INT_MAX;
    int64_t recording_time = INT64_MAX;
    int64_t limit_filesize = INT64_MAX;
    float mux_preload = 0;
    float mux_max_delay = 0.7f;
    int video_disable = 0;
    int audio_disable = 0;
    int subtitle_disable = 0;
    int data_disable = 0;
    std::vector<int> streamid_map;
    TSpecList metadata;
    TSpecList max_frames;
    TSpecList bitstream_filters;
    TSpecList codec_tags;
    TSpecList sample_fmts;
    TSpecList qscale;
    TSpecList forced_key_frames;
    TSpecList force_fps;
    TSpecList frame_aspect_ratios;
    TSpecList rc_overrides;
    TSpecList intra_matrices;
    TSpecList inter_matrices;
    TSpecList top_field_first;
    TSpecList copy_initial_nonkeyframes;
    TSpecList filters;

    // Back to the state of a new context. After an input the duration limit stays:
    // a duration given with an input applies to the next output.
    void Reset(bool afterInput);
};

// The last element of a per-stream list whose specifier matches the stream, or
// nullptr when none does. An invalid specifier throws FFmpegException.
const TSpecifierOpt* MatchPerStreamOpt(
    const TSpecList& list, const AVFormatContext* file, const AVStream* stream);

// The matching value for a stream, or `fallback` when no element matches.
template <class T>
T MatchPerStream(
    const TSpecList& list, const AVFormatContext* file, const AVStream* stream, T fallback)
{
    const TSpecifierOpt* match = MatchPerStreamOpt(list, file, stream);
    return match ? std::get<T>(match->u) : fallback;
}
