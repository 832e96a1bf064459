// The streams of a job's output: which input streams feed it, with which encoder.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"
#include "media/StreamSpecifier.h"

namespace {

// How much an input stream is preferred as the source of an output stream of its kind.
int64_t SourceScore(const AVStream* AStream)
{
    const AVCodecParameters* par = AStream->codecpar;
    switch (par->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return int64_t(par->width) * par->height;
    case AVMEDIA_TYPE_AUDIO:
        return par->ch_layout.nb_channels;
    default:
        return 0;
    }
}

bool SubtitleCodecNamed(const TOptionsContext& AOptions)
{
    for (const TSpecifierOpt& o : AOptions.codec_names)
        if (!o.specifier.empty() && o.specifier[0] == 's')
            return true;
    return false;
}

}  // namespace

int TCustomFFmpeg::ChooseSource(AVMediaType AType, int AFirstInput, int ALastInput) const
{
    int best = -1;
    int64_t bestScore = -1;
    for (int f = AFirstInput; f <= ALastInput; ++f) {
        const TInputFile& file = FInputFiles[f];
        for (int i = 0; i < file.nb_streams; ++i) {
            const AVStream* st = FInputStreams[file.ist_index + i].st;
            if (st->codecpar->codec_type != AType || st->discard == AVDISCARD_ALL)
                continue;
            if (SourceScore(st) > bestScore) {
                bestScore = SourceScore(st);
                best = file.ist_index + i;
            }
        }
    }
    return best;
}

void TCustomFFmpeg::OpenOutputStreams(int AFileIndex, AVFormatContext* AOc, bool AAllInputs)
{
    if (!FOptions.stream_maps.empty()) {
        OpenMappedStreams(AFileIndex, AOc);
        return;
    }
    int last = AAllInputs ? InputCount() - 1 : 0;
    const AVOutputFormat* fmt = AOc->oformat;
    if (!FOptions.video_disable && fmt->video_codec != AV_CODEC_ID_NONE)
        if (int src = ChooseSource(AVMEDIA_TYPE_VIDEO, 0, last); src >= 0)
            NewOutputStream(AFileIndex, AOc, src);
    if (!FOptions.audio_disable && fmt->audio_codec != AV_CODEC_ID_NONE)
        if (int src = ChooseSource(AVMEDIA_TYPE_AUDIO, 0, last); src >= 0)
            NewOutputStream(AFileIndex, AOc, src);
    if (!FOptions.subtitle_disable
        && (fmt->subtitle_codec != AV_CODEC_ID_NONE || SubtitleCodecNamed(FOptions)))
        if (int src = ChooseSource(AVMEDIA_TYPE_SUBTITLE, 0, last); src >= 0)
            NewOutputStream(AFileIndex, AOc, src);
}

void TCustomFFmpeg::OpenMappedStreams(int AFileIndex, AVFormatContext* AOc)
{
    for (const TStreamMap& map : FOptions.stream_maps) {
        if (map.disabled || map.file_index >= InputCount()
            || map.stream_index >= FInputFiles[map.file_index].nb_streams)
            continue;
        int source = FInputFiles[map.file_index].ist_index + map.stream_index;
        AVMediaType type = FInputStreams[source].st->codecpar->codec_type;
        if ((type == AVMEDIA_TYPE_VIDEO && FOptions.video_disable)
            || (type == AVMEDIA_TYPE_AUDIO && FOptions.audio_disable)
            || (type == AVMEDIA_TYPE_SUBTITLE && FOptions.subtitle_disable)
            || (type == AVMEDIA_TYPE_DATA && FOptions.data_disable))
            continue;
        if (type == AVMEDIA_TYPE_ATTACHMENT) {
            CopyAttachment(AFileIndex, AOc, source);
            continue;
        }
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO
            && type != AVMEDIA_TYPE_SUBTITLE && type != AVMEDIA_TYPE_DATA)
            Fatal(FormatText("Cannot map stream #%d:%d - unsupported type.", map.file_index,
                map.stream_index));
        NewOutputStream(AFileIndex, AOc, source);
    }
}

AVStream* TCustomFFmpeg::NewLibraryStream(AVFormatContext* AOc)
{
    AVStream* st = avformat_new_stream(AOc, nullptr);
    if (!st)
        Fatal("Could not alloc stream.");
    if (static_cast<size_t>(st->index) < FOptions.streamid_map.size())
        st->id = FOptions.streamid_map[st->index];
    return st;
}

TOutputStream& TCustomFFmpeg::NewOutputStream(int AFileIndex, AVFormatContext* AOc, int ASource)
{
    AVStream* st = NewLibraryStream(AOc);
    TInputStream& ist = FInputStreams[ASource];
    AVMediaType type = ist.st->codecpar->codec_type;
    st->codecpar->codec_type = type;

    TOutputStream& ost = FOutputStreams.emplace_back();
    ost.file_index = AFileIndex;
    ost.index = st->index;
    ost.st = st;
    ost.source_index = ASource;
    std::string name = MatchPerStream<std::string>(FOptions.codec_names, AOc, st, "");
    if (name == "copy") {
        ost.stream_copy = true;
    } else if (!name.empty()) {
        ost.codec = avcodec_find_encoder_by_name(name.c_str());
        if (!ost.codec)
            Fatal(FormatText("Unknown encoder '%s'", name.c_str()));
        if (ost.codec->type != type)
            Fatal(FormatText("Invalid encoder type '%s'", name.c_str()));
    } else {
        st->codecpar->codec_id = av_guess_codec(AOc->oformat, nullptr, AOc->url, nullptr, type);
        ost.codec = avcodec_find_encoder(st->codecpar->codec_id);
    }
    if (ost.codec)
        st->codecpar->codec_id = ost.codec->id;
    if (!ost.stream_copy && type != AVMEDIA_TYPE_AUDIO)
        Fatal(FormatText("Encoding %s streams is not supported: add -%cn to leave them out or "
                         "copy them with -c:%c copy",
            av_get_media_type_string(type), av_get_media_type_string(type)[0],
            av_get_media_type_string(type)[0]));
    ist.discard = false;
    std::string filters = MatchPerStream<std::string>(FOptions.bitstream_filters, AOc, st, "");
    for (size_t start = 0; start < filters.size();) {
        size_t end = std::min(filters.find(',', start), filters.size());
        std::string filterName = filters.substr(start, end - start);
        const AVBitStreamFilter* filter = av_bsf_get_by_name(filterName.c_str());
        if (!filter)
            Fatal(FormatText("Unknown bitstream filter \"%s\"", filterName.c_str()));
        ost.bitstream_filters.push_back(filter);
        start = end + 1;
    }
    if (ost.stream_copy)
        return ost;

    ost.enc.reset(avcodec_alloc_context3(ost.codec));
    if (!ost.enc)
        Fatal("Could not alloc stream.");
    ost.opts = FFFOptions.filter_codec_opts(
        ost.codec ? ost.codec->id : AV_CODEC_ID_NONE, AOc, st, ost.codec);
    if (AOc->oformat->flags & AVFMT_GLOBALHEADER)
        ost.enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    double quality = MatchPerStream<double>(FOptions.qscale, AOc, st, -1.0);
    if (quality >= 0 || FSettings.Fsame_quant) {
        ost.enc->flags |= AV_CODEC_FLAG_QSCALE;
        ost.enc->global_quality = static_cast<int>(FF_QP2LAMBDA * quality);
    }
    ost.requested_channels = MatchPerStream<int>(FOptions.audio_channels, AOc, st, 0);
    ost.requested_sample_rate = MatchPerStream<int>(FOptions.audio_sample_rate, AOc, st, 0);
    std::string fmtName = MatchPerStream<std::string>(FOptions.sample_fmts, AOc, st, "");
    if (!fmtName.empty()) {
        ost.requested_sample_fmt = av_get_sample_fmt(fmtName.c_str());
        if (ost.requested_sample_fmt == AV_SAMPLE_FMT_NONE)
            Fatal(FormatText("Invalid sample format \"%s\"", fmtName.c_str()));
    }
    ost.rematrix_volume = MatchPerStream<float>(FOptions.rematrix_volume, AOc, st, 1.0f);
    MapChannels(ost);
    return ost;
}

// The -map_channel entries that select this stream, in the order given.
void TCustomFFmpeg::MapChannels(TOutputStream& AOst)
{
    const TInputStream& ist = FInputStreams[AOst.source_index];
    for (const TAudioChannelMap& map : FOptions.audio_channel_maps) {
        bool source = map.channel_idx == -1
            || (map.file_idx == ist.file_index && map.stream_idx == ist.st->index);
        bool target = (map.ofile_idx == -1 || map.ofile_idx == AOst.file_index)
            && (map.ostream_idx == -1 || map.ostream_idx == AOst.index);
        if (!source || !target)
            continue;
        if (AOst.audio_channels_mapped == std::ssize(AOst.audio_channels_map))
            Fatal(FormatText(
                "Max channel mapping for output %d.%d reached", AOst.file_index, AOst.index));
        AOst.audio_channels_map[AOst.audio_channels_mapped++] = map.channel_idx;
    }
}

int TCustomFFmpeg::PrepareJoin()
{
    for (TOutputStream& ost : FOutputStreams) {
        ost.join_sources.assign(FInputFiles.size(), -1);
        ost.join_sources[0] = ost.source_index;
    }
    for (int k = 1; k < InputCount(); ++k) {
        for (TOutputStream& ost : FOutputStreams) {
            if (!ost.attachment_filename.empty())
                continue;
            int src = ChooseSource(ost.st->codecpar->codec_type, k, k);
            ost.join_sources[k] = src;
            if (src >= 0)
                FInputStreams[src].discard = false;
        }
    }
    int64_t sum = 0;
    for (const auto& f : FInputFiles)
        if (f.ctx->duration != AV_NOPTS_VALUE)
            sum += f.ctx->duration;
    FOutputDuration = sum == 0 ? -1 : sum;
    ResetOptions(false);
    return 0;
}
