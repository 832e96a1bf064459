#include "media/FFOptions.h"

#include "media/LastParseError.h"
#include "media/OptionsLog.h"
#include "media/StreamSpecifier.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace {

constexpr int SearchClass = AV_OPT_SEARCH_FAKE_OBJ;
constexpr int SearchChildren = AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ;

const AVOption* FindOption(const AVClass* cls, const std::string& name, int flags, int search)
{
    return cls ? av_opt_find(&cls, name.c_str(), nullptr, flags, search) : nullptr;
}

// The class's own options first: the library walks every child class (each codec,
// each format) before them, and most names used are the class's own.
const AVOption* FindOptionOrInChildren(const AVClass* cls, const std::string& name)
{
    const AVOption* option = FindOption(cls, name, 0, SearchClass);
    return option ? option : FindOption(cls, name, 0, SearchChildren);
}

// Flags-type options add up ("+a" then "+b"); any other kind is replaced.
int AppendFlagsOf(const AVOption* option)
{
    return option->type == AV_OPT_TYPE_FLAGS ? AV_DICT_APPEND : 0;
}

} // namespace

TStreamInfoOptions::TStreamInfoOptions(std::vector<TAVDict> dicts)
{
    FDicts.reserve(dicts.size());
    for (TAVDict& dict : dicts)
        FDicts.push_back(std::exchange(*dict.receive(), nullptr));
}

TStreamInfoOptions::~TStreamInfoOptions()
{
    for (AVDictionary*& dict : FDicts)
        av_dict_free(&dict);
}

TFFOptions::TFFOptions()
{
    init_opts();
}

void TFFOptions::init_opts()
{
    FCodecOpts.Clear();
    FFormatOpts.Clear();
    FScaler.reset(sws_alloc_context());
    if (FScaler)
        av_opt_set_int(FScaler.get(), "sws_flags", SWS_BICUBIC, 0);
}

int64_t TFFOptions::SwsFlags() const
{
    int64_t flags = SWS_BICUBIC;
    if (FScaler)
        av_opt_get_int(FScaler.get(), "sws_flags", 0, &flags);
    return flags;
}

int TFFOptions::opt_default(const std::string& opt, const std::string& arg)
{
    const std::string base = opt.substr(0, std::min<size_t>(opt.find(':'), 127));
    const AVOption* codecOption = FindOptionOrInChildren(avcodec_get_class(), base);
    if (!codecOption && !base.empty() && (base[0] == 'a' || base[0] == 's' || base[0] == 'v'))
        codecOption = FindOption(avcodec_get_class(), base.substr(1), 0, SearchClass);
    if (codecOption)
        FCodecOpts.Set(opt, arg, AppendFlagsOf(codecOption));

    const AVOption* formatOption = FindOptionOrInChildren(avformat_get_class(), opt);
    if (formatOption)
        FFormatOpts.Set(opt, arg, AppendFlagsOf(formatOption));

    const AVOption* scalerOption = FindOptionOrInChildren(sws_get_class(), opt);
    if (scalerOption) {
        int result
            = FScaler ? av_opt_set(FScaler.get(), opt.c_str(), arg.c_str(), 0) : AVERROR(ENOMEM);
        if (result < 0) {
            LastParseError() = "Error setting option \"" + opt + "\"";
            LogToLibrary(AV_LOG_ERROR, LastParseError());
            return result;
        }
    }

    if (codecOption || formatOption || scalerOption)
        return 0;
    LastParseError() = "Unrecognized option \"" + opt + "\"";
    LogToLibrary(AV_LOG_ERROR, LastParseError());
    return AVERROR_OPTION_NOT_FOUND;
}

TAVDict TFFOptions::filter_codec_opts(AVCodecID codecId, const AVFormatContext* file,
    const AVStream* stream, const AVCodec* codec) const
{
    TAVDict result;
    const bool output = file->oformat != nullptr;
    if (!codec)
        codec = output ? avcodec_find_encoder(codecId) : avcodec_find_decoder(codecId);
    if (!codec)
        return result;

    int flags = output ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
    char prefix = 0;
    switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        prefix = 'v';
        flags |= AV_OPT_FLAG_VIDEO_PARAM;
        break;
    case AVMEDIA_TYPE_AUDIO:
        prefix = 'a';
        flags |= AV_OPT_FLAG_AUDIO_PARAM;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        prefix = 's';
        flags |= AV_OPT_FLAG_SUBTITLE_PARAM;
        break;
    default:
        break;
    }

    for (auto& [fullKey, value] : FCodecOpts.Entries()) {
        std::string key = fullKey;
        if (size_t colon = key.find(':'); colon != std::string::npos) {
            int match = CheckStreamSpecifier(file, stream, std::string_view(key).substr(colon + 1));
            if (match < 0)
                return TAVDict();
            if (match == 0)
                continue;
            key.resize(colon);
        }
        if (FindOption(avcodec_get_class(), key, flags, SearchClass)
            || FindOption(codec->priv_class, key, flags, SearchClass))
            result.Set(key, value);
        else if (prefix && !key.empty() && key[0] == prefix
            && FindOption(avcodec_get_class(), key.substr(1), flags, SearchClass))
            result.Set(key.substr(1), value);
    }
    return result;
}

TStreamInfoOptions TFFOptions::setup_find_stream_info_opts(const AVFormatContext* file) const
{
    std::vector<TAVDict> dicts;
    for (unsigned i = 0; i < file->nb_streams; ++i)
        dicts.push_back(
            filter_codec_opts(file->streams[i]->codecpar->codec_id, file, file->streams[i]));
    return TStreamInfoOptions(std::move(dicts));
}
