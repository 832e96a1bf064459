#pragma once
// The library options collected for the next file to be opened: codec options,
// format options and a scaler context for the scaler options. Options the
// application's vocabulary does not know land here through opt_default.

#include "media/AVDict.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>
#include <vector>

// Per-stream decoder options for probing a file's streams; owns the dictionaries
// the library leaves in it.
class TStreamInfoOptions {
public:
    TStreamInfoOptions() = default;
    explicit TStreamInfoOptions(std::vector<TAVDict> dicts);
    TStreamInfoOptions(const TStreamInfoOptions&) = delete;
    TStreamInfoOptions& operator=(const TStreamInfoOptions&) = delete;
    ~TStreamInfoOptions();

    // The array avformat_find_stream_info takes; nullptr when there are no streams.
    AVDictionary** data() { return FDicts.empty() ? nullptr : FDicts.data(); }
    size_t size() const { return FDicts.size(); }

private:
    std::vector<AVDictionary*> FDicts;
};

class TFFOptions {
public:
    TFFOptions();

    // Empties both dictionaries and starts a new scaler context with bicubic scaling.
    void init_opts();

    // The generic fallback: stores an option the libraries know by name into the codec
    // or format dictionary or the scaler context. 0 when some library knew it, else a
    // negative code with the last parse error set.
    int opt_default(const std::string& opt, const std::string& arg);

    TAVDict& CodecOptions() { return FCodecOpts; }
    const TAVDict& CodecOptions() const { return FCodecOpts; }
    TAVDict& FormatOptions() { return FFormatOpts; }
    const TAVDict& FormatOptions() const { return FFormatOpts; }
    SwsContext* ScalerContext() const { return FScaler.get(); }
    // The scaler flags set so far ("sws_flags"), bicubic by default.
    int64_t SwsFlags() const;

    // The codec options that apply to one stream of an input (decoder options) or an
    // output (encoder options). Without `codec` the stream's default decoder or
    // encoder is taken; a stream without one gets no options. An invalid stream
    // specifier in a key empties the whole result.
    TAVDict filter_codec_opts(AVCodecID codecId, const AVFormatContext* file,
        const AVStream* stream, const AVCodec* codec = nullptr) const;

    // filter_codec_opts for every stream of an opened input.
    TStreamInfoOptions setup_find_stream_info_opts(const AVFormatContext* file) const;

private:
    struct ScalerFree {
        void operator()(SwsContext* context) const { sws_freeContext(context); }
    };

    TAVDict FCodecOpts;
    TAVDict FFormatOpts;
    std::unique_ptr<SwsContext, ScalerFree> FScaler;
};
