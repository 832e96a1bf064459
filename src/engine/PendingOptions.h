#pragma once
// Stand-in for the option store until it is shared from the media layer.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

template <typename T> struct TSpecOpt {
    std::string specifier;
    T u;
};

struct TOptionsContext {
    int64_t start_time = 0;
    std::string format;
    std::vector<TSpecOpt<std::string>> codec_names;
    std::vector<TSpecOpt<int>> audio_channels;
    std::vector<TSpecOpt<int>> audio_sample_rate;
    std::vector<TSpecOpt<float>> rematrix_volume;
    int64_t input_ts_offset = 0;
    std::vector<TSpecOpt<double>> ts_scale;
    std::vector<TSpecOpt<std::string>> metadata;
    std::vector<TSpecOpt<std::string>> sample_fmts;
    int64_t recording_time = INT64_MAX;
    int64_t limit_filesize = INT64_MAX;
    float mux_preload = 0;
    float mux_max_delay = 0.7f;
    int video_disable = 0;
    int audio_disable = 0;
    int subtitle_disable = 0;
    int data_disable = 0;
    AVDictionary* codec_opts = nullptr;
    AVDictionary* format_opts = nullptr;

    void Reset(bool AAfterInput)
    {
        int64_t keep = recording_time;
        av_dict_free(&codec_opts);
        av_dict_free(&format_opts);
        *this = TOptionsContext();
        if (AAfterInput)
            recording_time = keep;
    }
};

struct TJobSettings {
    int Faudio_volume = 256;
    int Faudio_sync_method = 0;
    float Faudio_drift_threshold = 0.1f;
    float Fdts_delta_threshold = 10.0f;
    int Fcopy_ts = 0;
    int Fopt_shortest = 0;
    int Fexit_on_error = 0;
    int Fprint_stats = 1;
};

// 1 match, 0 no match, negative: invalid specifier.
inline int check_stream_specifier(AVFormatContext* s, AVStream* st, const std::string& spec)
{
    return avformat_match_stream_specifier(s, st, spec.c_str());
}

inline AVDictionary* filter_codec_opts(
    AVDictionary* opts, AVCodecID, AVFormatContext*, AVStream*, const AVCodec*)
{
    AVDictionary* ret = nullptr;
    const AVDictionaryEntry* t = nullptr;
    while ((t = av_dict_get(opts, "", t, AV_DICT_IGNORE_SUFFIX))) {
        std::string key = t->key;
        std::string spec;
        if (auto p = key.find(':'); p != std::string::npos) {
            spec = key.substr(p + 1);
            key.resize(p);
        }
        if (spec.empty() || spec[0] == 'a')
            av_dict_set(&ret, key.c_str(), t->value, 0);
    }
    return ret;
}
