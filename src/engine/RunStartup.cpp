// Start of a run: final codec parameters, codecs opened, headers written.

#include "engine/CustomFFmpeg.h"
#include "engine/OpenCodecs.h"
#include "media/FFmpegException.h"

extern "C" {
#include <libavutil/time.h>
}

#include <algorithm>
#include <cstdlib>

namespace {

std::string KindName(AVMediaType AType)
{
    std::string name = av_get_media_type_string(AType) ? av_get_media_type_string(AType) : "?";
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

template <typename T, typename Pred> bool ListContains(const T* AList, T AEnd, Pred APred)
{
    for (const T* p = AList; *p != AEnd; ++p)
        if (APred(*p))
            return true;
    return false;
}

int ClosestSampleRate(const int* ARates, int ARate)
{
    int best = ARates[0];
    for (const int* p = ARates; *p; ++p)
        if (std::abs(*p - ARate) < std::abs(best - ARate))
            best = *p;
    return best;
}

// A layout the encoder accepts: the same channel count when it lists one, else the
// largest it has that does not exceed ours, else its first.
void ChooseLayout(const AVChannelLayout* ALayouts, AVChannelLayout& ALayout)
{
    const AVChannelLayout* best = nullptr;
    for (const AVChannelLayout* l = ALayouts; l->nb_channels; ++l) {
        if (!av_channel_layout_compare(l, &ALayout))
            return;
        if (l->nb_channels == ALayout.nb_channels) {
            if (!best || best->nb_channels != ALayout.nb_channels)
                best = l;
        } else if (l->nb_channels < ALayout.nb_channels
            && (!best || (best->nb_channels < l->nb_channels))) {
            best = l;
        }
    }
    if (!best)
        best = ALayouts;
    av_channel_layout_uninit(&ALayout);
    av_channel_layout_copy(&ALayout, best);
}

// " [ch: 1 0 M]" for a stream with a channel map, else nothing.
std::string ChannelMapText(const TOutputStream& AOst)
{
    if (!AOst.audio_channels_mapped)
        return {};
    std::string text = " [ch:";
    for (int i = 0; i < AOst.audio_channels_mapped; ++i) {
        int channel = AOst.audio_channels_map[i];
        text += channel == -1 ? std::string(" M") : " " + std::to_string(channel);
    }
    return text + "]";
}

}  // namespace

int TCustomFFmpeg::TranscodeInit()
{
    FLastErrMsg.clear();
    for (TInputStream& ist : FInputStreams)
        if (FInputFiles[ist.file_index].rate_emu)
            ist.start = av_gettime_relative();
    for (int i = 0; i < OutputCount(); ++i) {
        AVFormatContext* oc = FOutputFiles[i].ctx;
        if (!oc->nb_streams && !(oc->oformat->flags & AVFMT_NOSTREAMS)) {
            av_dump_format(oc, i, oc->url, 1);
            FLastErrMsg = FormatText("Output file #%d does not contain any stream", i);
            GetLogger().Log(this, llError, FLastErrMsg);
            return AVERROR(EINVAL);
        }
    }
    for (TOutputStream& ost : FOutputStreams) {
        int ret = 0;
        if (!ost.attachment_filename.empty()) {
            continue;
        } else if (ost.stream_copy) {
            ret = SetupStreamCopy(ost);
        } else {
            FInputStreams[ost.source_index].decoding_needed = true;
            for (int src : ost.join_sources)
                if (src >= 0)
                    FInputStreams[src].decoding_needed = true;
            ost.encoding_needed = true;
            ret = SetupAudioEncoder(ost);
        }
        if (ret < 0)
            return ret;
    }

    std::string error;
    int ret = 0;
    for (size_t i = 0; ret >= 0 && i < FOutputStreams.size(); ++i)
        if (FOutputStreams[i].encoding_needed)
            ret = OpenEncoder(FOutputStreams[i], error);
    for (size_t i = 0; ret >= 0 && i < FInputStreams.size(); ++i) {
        TInputStream& ist = FInputStreams[i];
        if (ist.decoding_needed)
            ret = OpenDecoder(ist, error);
        if (ist.discard)
            ist.st->discard = AVDISCARD_ALL;  // nothing reads it: let the demuxer skip it
    }
    for (int i = 0; ret >= 0 && i < OutputCount(); ++i) {
        TOutputFile& of = FOutputFiles[i];
        FLastWrite = av_gettime_relative();
        if ((ret = avformat_write_header(of.ctx, of.opts.receive())) < 0) {
            error = FormatText("Could not write header for output file #%d (incorrect codec "
                               "parameters ?)",
                i);
            ret = AVERROR(EINVAL);
        } else {
            of.header_written = true;
        }
    }
    LogStreamMapping();
    if (ret < 0) {
        GetLogger().Log(this, llError, error);
        return ret;
    }
    return 0;
}

int TCustomFFmpeg::SetupStreamCopy(TOutputStream& AOst)
{
    TInputStream& ist = FInputStreams[AOst.source_index];
    if (ist.st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO
        && (FSettings.Faudio_volume != 256 || FOnAudioHook)) {
        FLastErrMsg = FSettings.Faudio_volume != 256
            ? "-acodec copy and -vol are incompatible (frames are not decoded)"
            : "-acodec copy and AudioHook are incompatible (frames are not decoded)";
        return AVERROR(EINVAL);
    }
    if (ist.st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        if (const char* refusal = VideoCopyRefusal()) {
            FLastErrMsg = refusal;
            return AVERROR(EINVAL);
        }
    }
    int ret = avcodec_parameters_copy(AOst.st->codecpar, ist.st->codecpar);
    if (ret < 0) {
        FLastErrMsg = "av_mallocz() failed";
        return ret;
    }
    AOst.st->codecpar->codec_tag = 0;
    AOst.st->time_base = ist.st->time_base;
    AOst.st->disposition = ist.st->disposition;
    return InitBitstreamFilters(AOst);
}

// Copied video frames are never decoded, so nothing can look at or change them.
const char* TCustomFFmpeg::VideoCopyRefusal() const
{
    if (FOnVideoInputHook || FOnVideoOutputHook)
        return "-vcodec copy and VideoHook are incompatible (frames are not decoded)";
    if (FOnFrameInputHook || FOnFrameOutputHook)
        return "-vcodec copy and FrameHook are incompatible (frames are not decoded)";
    if (FPostHooks)
        return "-vcodec copy and PostHooks are incompatible (frames are not decoded)";
    return nullptr;
}

int TCustomFFmpeg::InitBitstreamFilters(TOutputStream& AOst)
{
    const AVCodecParameters* par = AOst.st->codecpar;
    AVRational timeBase = AOst.st->time_base;
    for (const AVBitStreamFilter* filter : AOst.bitstream_filters) {
        AVBSFContext* bsf = nullptr;
        int ret = av_bsf_alloc(filter, &bsf);
        if (ret < 0)
            return ret;
        AOst.bsfs.emplace_back(bsf);
        if ((ret = avcodec_parameters_copy(bsf->par_in, par)) < 0)
            return ret;
        bsf->time_base_in = timeBase;
        if ((ret = av_bsf_init(bsf)) < 0) {
            FLastErrMsg = ErrorText(FormatText("Error initializing bitstream filter %s", filter->name), ret);
            return ret;
        }
        par = bsf->par_out;
        timeBase = bsf->time_base_out;
    }
    if (par != AOst.st->codecpar)
        avcodec_parameters_copy(AOst.st->codecpar, par);
    return 0;
}

int TCustomFFmpeg::SetupAudioEncoder(TOutputStream& AOst)
{
    const AVCodecParameters* src = FInputStreams[AOst.source_index].st->codecpar;
    AVCodecContext* enc = AOst.enc.get();
    const AVCodec* codec = AOst.codec;

    int rate = AOst.requested_sample_rate ? AOst.requested_sample_rate : src->sample_rate;
    if (codec && codec->supported_samplerates
        && !ListContains(codec->supported_samplerates, 0, [rate](int r) { return r == rate; })) {
        rate = ClosestSampleRate(codec->supported_samplerates, rate);
        GetLogger().Log(this, llWarning,
            FormatText("Requested sampling rate unsupported using closest supported (%d)", rate));
    }
    enc->sample_rate = rate;
    enc->time_base = { 1, rate };

    auto fmt = AOst.requested_sample_fmt != AV_SAMPLE_FMT_NONE
        ? AOst.requested_sample_fmt
        : static_cast<AVSampleFormat>(src->format);
    if (codec && codec->sample_fmts
        && !ListContains(codec->sample_fmts, AV_SAMPLE_FMT_NONE,
            [fmt](AVSampleFormat f) { return f == fmt; })) {
        AVSampleFormat first = codec->sample_fmts[0];
        if ((codec->capabilities & AV_CODEC_CAP_LOSSLESS)
            && av_get_bytes_per_sample(fmt) > av_get_bytes_per_sample(first))
            GetLogger().Log(this, llError, "Conversion will not be lossless.");
        if (av_get_sample_fmt_name(fmt))
            GetLogger().Log(this, llWarning,
                FormatText(
                    "Incompatible sample format \"%s\" for codec \"%s\", auto-selecting format "
                    "\"%s\"",
                    av_get_sample_fmt_name(fmt), codec->name, av_get_sample_fmt_name(first)));
        fmt = first;
    }
    enc->sample_fmt = fmt;

    SetupChannels(AOst, src->ch_layout);
    if (codec && codec->ch_layouts)
        ChooseLayout(codec->ch_layouts, enc->ch_layout);

    AOst.audio_resample = !(rate == src->sample_rate && FSettings.Faudio_sync_method <= 1
        && fmt == src->format && !av_channel_layout_compare(&enc->ch_layout, &src->ch_layout));
    AOst.resample_sample_fmt = static_cast<AVSampleFormat>(src->format);
    AOst.resample_sample_rate = src->sample_rate;
    AOst.resample_channels = src->ch_layout.nb_channels;

    AOst.fifo.reset(av_audio_fifo_alloc(fmt, enc->ch_layout.nb_channels, 1024));
    if (!AOst.fifo) {
        FLastErrMsg = "av_fifo_alloc failed";
        return AVERROR(ENOMEM);
    }
    return 0;
}

void TCustomFFmpeg::SetupChannels(TOutputStream& AOst, const AVChannelLayout& ASource)
{
    AVChannelLayout& layout = AOst.enc->ch_layout;
    av_channel_layout_uninit(&layout);
    if (AOst.requested_channels) {
        av_channel_layout_default(&layout, AOst.requested_channels);
    } else if (AOst.audio_channels_mapped) {
        av_channel_layout_default(&layout, AOst.audio_channels_mapped);
        if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
            Fatal("Unable to find an appropriate channel layout for requested number of channel");
    } else if (ASource.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(&layout, ASource.nb_channels);
    } else {
        av_channel_layout_copy(&layout, &ASource);
    }
    // Output channels without an entry of their own stay silent.
    std::fill(std::begin(AOst.audio_channels_map) + AOst.audio_channels_mapped,
        std::end(AOst.audio_channels_map), -1);
}

int TCustomFFmpeg::OpenEncoder(TOutputStream& AOst, std::string& AError)
{
    AVMediaType type = AOst.st->codecpar->codec_type;
    int streamIndex = static_cast<int>(&AOst - FOutputStreams.data());
    if (!AOst.codec) {
        AError = FormatText("Encoder (codec %s) not found for output stream #%d:%d (%s)",
            avcodec_get_name(AOst.st->codecpar->codec_id), AOst.file_index, AOst.index,
            KindName(type).c_str());
        return AVERROR(EINVAL);
    }
    if (OpenWithLayoutFallback(AOst) < 0) {
        AError = FormatText(
            "Error while opening encoder for output stream #%d:%d (%s) - maybe incorrect "
            "parameters such as bit_rate, rate, width or height. Please check error log "
            "message(reported by FFLogger) to find out more detail information.",
            AOst.file_index, AOst.index, KindName(type).c_str());
        return AVERROR(EINVAL);
    }
    OpenCodecs().Add(this, TOpenCodecs::ckEncoder, streamIndex);
    if (auto* unused = av_dict_get(AOst.opts.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        std::string text = FormatText("Option %s not found.", unused->key);
        if (HaltOnInvalidOption)
            Fatal(text);
        FLastErrMsg = text;
    }
    if (AOst.enc->bit_rate && AOst.enc->bit_rate < 1000)
        GetLogger().Log(this, llWarning,
            "The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
    FExtraSize += AOst.enc->extradata_size;
    avcodec_parameters_from_context(AOst.st->codecpar, AOst.enc.get());
    AOst.st->time_base = AOst.enc->time_base;
    if (int ret = InitBitstreamFilters(AOst); ret < 0) {
        AError = ErrorText("Error initializing bitstream filters", ret);
        return ret;
    }
    return 0;
}

int TCustomFFmpeg::OpenWithLayoutFallback(TOutputStream& AOst)
{
    TAVDict opts = AOst.opts;
    AVChannelLayout failed {};
    av_channel_layout_copy(&failed, &AOst.enc->ch_layout);
    int ret = avcodec_open2(AOst.enc.get(), AOst.codec, AOst.opts.receive());
    if (ret >= 0 || AOst.codec->type != AVMEDIA_TYPE_AUDIO) {
        av_channel_layout_uninit(&failed);
        return ret;
    }
    // Some encoders accept only certain orders of a channel count without listing them
    // (5.1 with back speakers rather than side ones, for example): try the standard
    // layouts of that count on a fresh context.
    void* iter = nullptr;
    while (const AVChannelLayout* layout = av_channel_layout_standard(&iter)) {
        if (layout->nb_channels != failed.nb_channels || !av_channel_layout_compare(layout, &failed))
            continue;
        const AVCodecContext* previous = AOst.enc.get();
        TCodecContextPtr enc(avcodec_alloc_context3(AOst.codec));
        if (!enc)
            break;
        enc->sample_rate = previous->sample_rate;
        enc->time_base = { 1, previous->sample_rate };
        enc->sample_fmt = previous->sample_fmt;
        enc->flags = previous->flags;
        enc->global_quality = previous->global_quality;
        av_channel_layout_copy(&enc->ch_layout, layout);
        AOst.enc = std::move(enc);
        AOst.opts = opts;
        if ((ret = avcodec_open2(AOst.enc.get(), AOst.codec, AOst.opts.receive())) >= 0) {
            char from[64] = {};
            char to[64] = {};
            av_channel_layout_describe(&failed, from, sizeof from);
            av_channel_layout_describe(layout, to, sizeof to);
            GetLogger().Log(this, llWarning,
                FormatText("Channel layout %s refused by %s, using %s", from, AOst.codec->name, to));
            break;
        }
    }
    av_channel_layout_uninit(&failed);
    return ret;
}

int TCustomFFmpeg::OpenDecoder(TInputStream& AIst, std::string& AError)
{
    int fileIndex = AIst.file_index;
    int streamIndex = AIst.st->index;
    if (!AIst.avdec) {
        AError = FormatText("Decoder (codec %s) not found for input stream #%d:%d",
            avcodec_get_name(AIst.st->codecpar->codec_id), fileIndex, streamIndex);
        return AVERROR(EINVAL);
    }
    AIst.dec.reset(avcodec_alloc_context3(AIst.avdec));
    if (!AIst.dec || avcodec_parameters_to_context(AIst.dec.get(), AIst.st->codecpar) < 0) {
        AError = FormatText("Error while opening decoder for input stream #%d:%d", fileIndex,
            streamIndex);
        return AVERROR(EINVAL);
    }
    AIst.dec->pkt_timebase = AIst.st->time_base;
    if (avcodec_open2(AIst.dec.get(), AIst.avdec, AIst.opts.receive()) < 0) {
        AError = FormatText("Error while opening decoder for input stream #%d:%d", fileIndex,
            streamIndex);
        return AVERROR(EINVAL);
    }
    OpenCodecs().Add(this, TOpenCodecs::ckDecoder, static_cast<int>(&AIst - FInputStreams.data()));
    AIst.pts = 0;
    AIst.next_pts = AV_NOPTS_VALUE;
    AIst.is_start = true;
    return 0;
}

void TCustomFFmpeg::LogStreamMapping()
{
    for (int i = 0; i < OutputCount(); ++i)
        av_dump_format(FOutputFiles[i].ctx, i, FOutputFiles[i].ctx->url, 1);
    GetLogger().Log(this, llInfo, "Stream mapping:");
    for (const TOutputStream& ost : FOutputStreams) {
        if (!ost.attachment_filename.empty()) {
            GetLogger().Log(this, llInfo,
                FormatText("  File %s -> Stream #%d:%d", ost.attachment_filename.c_str(),
                    ost.file_index, ost.index));
            continue;
        }
        const TInputStream& ist = FInputStreams[ost.source_index];
        std::string line = FormatText("  Stream #%d:%d -> #%d:%d", ist.file_index,
            ist.st->index, ost.file_index, ost.index);
        line += ChannelMapText(ost);
        if (ost.stream_copy)
            line += " (copy)";
        else
            line += FormatText(" (%s -> %s)", ist.avdec ? ist.avdec->name : "?",
                ost.codec ? ost.codec->name : "?");
        line += " (" + KindName(ist.st->codecpar->codec_type) + ")";
        GetLogger().Log(this, llInfo, line);
    }
}
