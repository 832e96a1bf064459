// What a decoder tells about its file: stream records, tags and the printable
// description.

#include "media/CustomDecoder.h"

#include "media/FormatText.h"
#include "media/LibAVPtr.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

std::string Trim(std::string AText)
{
    auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    AText.erase(AText.begin(), std::find_if(AText.begin(), AText.end(), notSpace));
    AText.erase(std::find_if(AText.rbegin(), AText.rend(), notSpace).base(), AText.end());
    return AText;
}

std::string MetadataValue(const AVDictionary* AMetadata, const char* AKey)
{
    const AVDictionaryEntry* e = av_dict_get(AMetadata, AKey, nullptr, 0);
    return e ? e->value : "";
}

int MetadataNumber(const AVDictionary* AMetadata, const char* AKey)
{
    std::string text = Trim(MetadataValue(AMetadata, AKey));
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' ? static_cast<int>(value) : 0;
}

// Stream codec name: the decoder's name and long name, else whatever names the codec.
std::string CodecNameOf(const AVCodecParameters* APar)
{
    if (const AVCodec* codec = avcodec_find_decoder(APar->codec_id)) {
        std::string name = Trim(codec->name);
        if (codec->long_name && *codec->long_name)
            name += "(" + Trim(codec->long_name) + ")";
        return name;
    }
    if (APar->codec_id == AV_CODEC_ID_MPEG2TS)
        return "mpeg2ts";
    if (const AVCodecDescriptor* d = avcodec_descriptor_get(APar->codec_id))
        return d->name;
    const unsigned tag = APar->codec_tag;
    const char c[4] = { char(tag & 0xff), char(tag >> 8 & 0xff), char(tag >> 16 & 0xff), char(tag >> 24) };
    if (std::all_of(c, c + 4, [](char ch) { return std::isprint(static_cast<unsigned char>(ch)); }))
        return FormatText("%c%c%c%c / 0x%04X", c[0], c[1], c[2], c[3], tag);
    return FormatText("0x%04x", tag);
}

int ClampToInt(int64_t AValue)
{
    return AValue > INT32_MAX ? INT32_MAX : static_cast<int>(AValue);
}

void FillNames(TStreamInfoBase& AInfo, const AVStream* AStream)
{
    AInfo.Language = MetadataValue(AStream->metadata, "language");
    AInfo.CodecName = CodecNameOf(AStream->codecpar);
}

void FillTimes(TTimedStreamInfo& AInfo, const AVStream* AStream)
{
    FillNames(AInfo, AStream);
    AVRational tb = AStream->time_base;
    if (tb.den == 0)
        tb.den = tb.num ? tb.num : 1;
    AInfo.StartTime = AStream->start_time;
    AInfo.Duration = AStream->duration;
    if (AStream->start_time != AV_NOPTS_VALUE)
        AInfo.StartTimeScaled = av_rescale_q(AStream->start_time, tb, AV_TIME_BASE_Q);
    if (AStream->duration != AV_NOPTS_VALUE)
        AInfo.DurationScaled = av_rescale_q(AStream->duration, tb, AV_TIME_BASE_Q);
    AInfo.BitRate = ClampToInt(AStream->codecpar->bit_rate);
}

// At most 255 bytes, cut before a UTF-8 continuation byte so no character is split.
std::string CutValue(std::string AValue)
{
    if (AValue.size() > 255) {
        size_t n = 255;
        while (n > 0 && (static_cast<unsigned char>(AValue[n]) & 0xC0) == 0x80)
            --n;
        AValue.resize(n);
    }
    for (char& ch : AValue)
        if (ch == '\r')
            ch = ' ';
    return AValue;
}

std::string MetadataBlock(const AVDictionary* AMetadata, const std::string& APrefix)
{
    if (!AMetadata || (av_dict_count(AMetadata) == 1 && av_dict_get(AMetadata, "language", nullptr, 0)))
        return "";
    std::string text = APrefix + "Metadata:\r\n";
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(AMetadata, "", e, AV_DICT_IGNORE_SUFFIX)))
        if (std::string(e->key) != "language")
            text += FormatText("%s  %-16s: %s\r\n", APrefix.c_str(), e->key, CutValue(e->value).c_str());
    return text;
}

std::string SizeText(int64_t ASize)
{
    if (ASize <= 1024)
        return FormatText("%d Byte", static_cast<int>(ASize));
    if (ASize <= 1048576)
        return FormatText("%.2f KB", ASize / 1024.0);
    if (ASize <= 1073741824)
        return FormatText("%.2f MB", ASize / 1048576.0);
    return FormatText("%.2f GB", ASize / 1073741824.0);
}

std::string RateText(double AValue, const char* AName)
{
    const int64_t v = std::llround(AValue * 100);
    if (v % 100)
        return FormatText(", %3.2f %s", AValue, AName);
    if (v % 100000)
        return FormatText(", %1.0f %s", AValue, AName);
    return FormatText(", %1.0fk %s", AValue / 1000, AName);
}

std::string DurationText(int64_t ADuration)
{
    if (ADuration == AV_NOPTS_VALUE)
        return "N/A";
    const int64_t ms = ADuration / 1000;
    return FormatText("%.2d:%.2d:%.2d.%.3d", static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
        static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
}

std::string CodecDescription(const AVCodecParameters* APar)
{
    CodecContextPtr ctx(avcodec_alloc_context3(nullptr));
    char text[512] {};
    if (ctx && avcodec_parameters_to_context(ctx.get(), APar) >= 0)
        avcodec_string(text, sizeof text, ctx.get(), 0);
    return text;
}

}  // namespace

AVStream* TCustomDecoder::StreamOfType(int AStreamIndex, int AMediaType, int AFirstIndex, const char* AKindName)
{
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return nullptr;
    if (AStreamIndex < 0) {
        if (AFirstIndex < 0) {
            ReportError(llError, FormatText("no %s stream.", AKindName));
            return nullptr;
        }
        AStreamIndex = AFirstIndex;
    }
    if (AStreamIndex >= static_cast<int>(ctx->nb_streams)) {
        ReportError(llError, FormatText("stream index #%d is invalid.", AStreamIndex));
        return nullptr;
    }
    AVStream* st = ctx->streams[AStreamIndex];
    if (st->codecpar->codec_type != AMediaType) {
        ReportError(llError, FormatText("stream #%d is not %s stream.", AStreamIndex, AKindName));
        return nullptr;
    }
    return st;
}

bool TCustomDecoder::IsAudioStream(int AStreamIndex)
{
    return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_AUDIO);
}

bool TCustomDecoder::IsVideoStream(int AStreamIndex)
{
    return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_VIDEO);
}

bool TCustomDecoder::IsSubtitleStream(int AStreamIndex)
{
    return IsStreamOfType(AStreamIndex, AVMEDIA_TYPE_SUBTITLE);
}

bool TCustomDecoder::IsStreamOfType(int AStreamIndex, int AMediaType)
{
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return false;
    if (AStreamIndex < 0 || AStreamIndex >= static_cast<int>(ctx->nb_streams)) {
        ReportError(llError, FormatText("stream index #%d is invalid.", AStreamIndex));
        return false;
    }
    return ctx->streams[AStreamIndex]->codecpar->codec_type == AMediaType;
}

TFileStreamInfo TCustomDecoder::FileStreamInfo()
{
    TFileStreamInfo info;
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return info;
    info.StartTime = ctx->start_time;
    info.Duration = ctx->duration == AV_NOPTS_VALUE ? -1 : ctx->duration;
    info.BitRate = ClampToInt(ctx->bit_rate);
    info.TimeStamp = 0;
    info.Year = MetadataNumber(ctx->metadata, "year");
    info.Track = MetadataNumber(ctx->metadata, "track");
    info.Title = MetadataValue(ctx->metadata, "title");
    info.Author = MetadataValue(ctx->metadata, "author");
    info.Copyright = MetadataValue(ctx->metadata, "copyright");
    info.Comment = MetadataValue(ctx->metadata, "comment");
    info.Album = MetadataValue(ctx->metadata, "album");
    info.Genre = MetadataValue(ctx->metadata, "genre");
    return info;
}

TMetadataList TCustomDecoder::FileMetadata()
{
    TMetadataList list;
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return list;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(ctx->metadata, "", e, AV_DICT_IGNORE_SUFFIX)))
        list.emplace_back(e->key, e->value);
    // Ogg keeps its comments with the stream they belong to.
    if (FFirstAudioStreamIndex >= 0) {
        const AVDictionary* streamTags = ctx->streams[FFirstAudioStreamIndex]->metadata;
        while ((e = av_dict_get(streamTags, "", e, AV_DICT_IGNORE_SUFFIX)))
            if (std::string(e->key) != "language" && !av_dict_get(ctx->metadata, e->key, nullptr, 0))
                list.emplace_back(e->key, e->value);
    }
    return list;
}

TAudioStreamInfo TCustomDecoder::GetAudioStreamInfo(int AStreamIndex)
{
    TAudioStreamInfo info;
    const AVStream* st = StreamOfType(AStreamIndex, AVMEDIA_TYPE_AUDIO, FFirstAudioStreamIndex, "audio");
    if (!st)
        return info;
    const AVCodecParameters* par = st->codecpar;
    FillTimes(info, st);
    info.Channels = par->ch_layout.nb_channels;
    info.SampleRate = par->sample_rate;
    info.SampleFormat = static_cast<AVSampleFormat>(par->format);
    return info;
}

TVideoStreamInfo TCustomDecoder::GetVideoStreamInfo(int AStreamIndex)
{
    TVideoStreamInfo info;
    const AVStream* st = StreamOfType(AStreamIndex, AVMEDIA_TYPE_VIDEO, FFirstVideoStreamIndex, "video");
    if (!st)
        return info;
    const AVCodecParameters* par = st->codecpar;
    FillTimes(info, st);
    info.Height = par->height;
    info.Width = par->width;
    const AVRational sar = par->sample_aspect_ratio.num ? par->sample_aspect_ratio : AVRational { 1, 1 };
    info.AspectRatio = par->height ? static_cast<float>(par->width * av_q2d(sar) / par->height) : 0;
    info.PixFmt = par->format;
    info.FrameRate = st->avg_frame_rate;
    return info;
}

TSubtitleStreamInfo TCustomDecoder::GetSubtitleStreamInfo(int AStreamIndex)
{
    TSubtitleStreamInfo info;
    const AVStream* st = StreamOfType(AStreamIndex, AVMEDIA_TYPE_SUBTITLE, FFirstSubtitleStreamIndex, "subtitle");
    if (!st)
        return info;
    FillNames(info, st);
    return info;
}

std::string TCustomDecoder::StreamLine(int AIndex) const
{
    const AVStream* st = FFileHandle->streams[AIndex];
    const AVCodecParameters* par = st->codecpar;
    std::string line = FormatText("  Stream #%d", AIndex);
    if (FFileHandle->iformat->flags & AVFMT_SHOW_IDS)
        line += FormatText("[0x%x]", st->id);
    if (std::string lang = MetadataValue(st->metadata, "language"); !lang.empty())
        line += "(" + lang + ")";
    const int gcd = static_cast<int>(av_gcd(st->time_base.num, st->time_base.den));
    line += FormatText(", %d/%d", st->time_base.num / (gcd ? gcd : 1), st->time_base.den / (gcd ? gcd : 1));
    line += ": " + CodecDescription(par);
    if (st->sample_aspect_ratio.num && av_cmp_q(st->sample_aspect_ratio, par->sample_aspect_ratio)) {
        AVRational dar;
        av_reduce(&dar.num, &dar.den, int64_t(par->width) * st->sample_aspect_ratio.num,
            int64_t(par->height) * st->sample_aspect_ratio.den, 1024 * 1024);
        line += FormatText(", SAR %d:%d DAR %d:%d", st->sample_aspect_ratio.num, st->sample_aspect_ratio.den, dar.num,
            dar.den);
    }
    if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        if (st->avg_frame_rate.den && st->avg_frame_rate.num)
            line += RateText(av_q2d(st->avg_frame_rate), "fps");
        if (st->r_frame_rate.den && st->r_frame_rate.num)
            line += RateText(av_q2d(st->r_frame_rate), "tbr");
        if (st->time_base.den && st->time_base.num)
            line += RateText(1 / av_q2d(st->time_base), "tbn");
    }
    static const char* const dispositions[] = { " (default)", " (dub)", " (original)", " (comment)", " (lyrics)",
        " (karaoke)", " (forced)", " (hearing impaired)", " (visual impaired)", " (clean effects)" };
    for (int bit = 0; bit < 10; ++bit)
        if (st->disposition & (1 << bit))
            line += dispositions[bit];
    if (st->start_time != AV_NOPTS_VALUE)
        line += FormatText(", start: %.6f", st->start_time * av_q2d(st->time_base));
    if (st->duration != AV_NOPTS_VALUE)
        line += FormatText(", duration: %.6f", st->duration * av_q2d(st->time_base));
    return line + "\r\n" + MetadataBlock(st->metadata, "  ");
}

std::string TCustomDecoder::FileInfoText()
{
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return "";
    std::string text = FormatText("File Name: %s\r\n", ctx->url ? ctx->url : "");
    text += FormatText("Format Name: %s\r\n", ctx->iformat->name);
    if (ctx->iformat->long_name)
        text += FormatText("Format Long Name: %s\r\n", ctx->iformat->long_name);
    text += "File Size: " + SizeText(FFileSize) + "\r\n";
    text += MetadataBlock(ctx->metadata, "");
    text += "Duration: " + DurationText(ctx->duration);
    if (ctx->start_time != AV_NOPTS_VALUE)
        text += FormatText(", start: %d.%.6d", static_cast<int>(ctx->start_time / AV_TIME_BASE),
            static_cast<int>(std::llabs(ctx->start_time % AV_TIME_BASE)));
    text += ctx->bit_rate > 0 ? FormatText(", bitrate: %d kb/s", static_cast<int>(ctx->bit_rate / 1000))
                              : std::string(", bitrate: N/A");
    text += "\r\n";
    for (unsigned i = 0; i < ctx->nb_chapters; ++i) {
        const AVChapter* ch = ctx->chapters[i];
        text += FormatText("Chapter #%d: start %.6f, end %.6f\r\n", static_cast<int>(i),
            ch->start * av_q2d(ch->time_base), ch->end * av_q2d(ch->time_base));
        text += MetadataBlock(ch->metadata, "  ");
    }
    std::vector<bool> printed(ctx->nb_streams, false);
    unsigned inPrograms = 0;
    for (unsigned p = 0; p < ctx->nb_programs; ++p) {
        const AVProgram* program = ctx->programs[p];
        text += FormatText("Program %d %s\r\n", program->id, MetadataValue(program->metadata, "name").c_str());
        text += MetadataBlock(program->metadata, "  ");
        for (unsigned k = 0; k < program->nb_stream_indexes; ++k) {
            const unsigned index = program->stream_index[k];
            if (index < ctx->nb_streams) {
                text += StreamLine(static_cast<int>(index));
                printed[index] = true;
                ++inPrograms;
            }
        }
    }
    if (ctx->nb_programs && inPrograms < ctx->nb_streams)
        text += "No Program\r\n";
    for (unsigned i = 0; i < ctx->nb_streams; ++i)
        if (!printed[i])
            text += StreamLine(static_cast<int>(i));
    return text;
}
