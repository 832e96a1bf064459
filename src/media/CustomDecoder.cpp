#include "media/CustomDecoder.h"

#include "media/FormatText.h"
#include "media/LibAVPtr.h"
#include "media/MainThreadDispatcher.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <filesystem>
#include <limits>

namespace {

bool KnowsOption(const AVClass* AClass, const char* AName, int AFlags = 0)
{
    return av_opt_find(&AClass, AName, nullptr, AFlags, AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ)
        != nullptr;
}

// Codec options that apply to one input stream: "key:spec" entries only when the
// specifier matches, and only keys the stream's decoder knows.
AVDictionary* StreamCodecOptions(AVDictionary* AOptions, AVFormatContext* AContext, AVStream* AStream)
{
    const AVCodec* codec = avcodec_find_decoder(AStream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    int flags = AV_OPT_FLAG_DECODING_PARAM;
    char prefix = 0;
    switch (AStream->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO: flags |= AV_OPT_FLAG_AUDIO_PARAM; prefix = 'a'; break;
    case AVMEDIA_TYPE_VIDEO: flags |= AV_OPT_FLAG_VIDEO_PARAM; prefix = 'v'; break;
    case AVMEDIA_TYPE_SUBTITLE: flags |= AV_OPT_FLAG_SUBTITLE_PARAM; prefix = 's'; break;
    default: break;
    }
    const AVClass* codecClass = avcodec_get_class();
    AVDictionary* result = nullptr;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(AOptions, "", e, AV_DICT_IGNORE_SUFFIX))) {
        std::string key = e->key;
        if (auto colon = key.find(':'); colon != std::string::npos) {
            int match = avformat_match_stream_specifier(AContext, AStream, key.c_str() + colon + 1);
            if (match < 0) {
                av_dict_free(&result);
                return nullptr;
            }
            if (match == 0)
                continue;
            key.resize(colon);
        }
        if (KnowsOption(codecClass, key.c_str(), flags)
            || (codec->priv_class && KnowsOption(codec->priv_class, key.c_str())))
            av_dict_set(&result, key.c_str(), e->value, 0);
        else if (prefix && key[0] == prefix && KnowsOption(codecClass, key.c_str() + 1, flags))
            av_dict_set(&result, key.c_str() + 1, e->value, 0);
    }
    return result;
}

bool IsUsable(const AVCodecParameters* APar)
{
    switch (APar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        return APar->sample_rate > 0 && APar->ch_layout.nb_channels > 0;
    case AVMEDIA_TYPE_VIDEO:
        return APar->width > 0 && APar->height > 0;
    default:
        return APar->codec_id != AV_CODEC_ID_NONE;
    }
}

bool HasUsableStream(const AVFormatContext* AContext)
{
    for (unsigned i = 0; i < AContext->nb_streams; ++i)
        if (IsUsable(AContext->streams[i]->codecpar))
            return true;
    return false;
}

}  // namespace

TCustomDecoder::TCustomDecoder() = default;

TCustomDecoder::~TCustomDecoder()
{
    // The derived decoder has closed its own state; this closes the input.
    TCustomDecoder::CloseFile();
    av_dict_free(&FFormatOptions);
    av_dict_free(&FCodecOptions);
}

void TCustomDecoder::ReportError(TLogLevel ALevel, const std::string& AMsg)
{
    FLastErrMsg = AMsg;
    Log(ALevel, AMsg);
}

void TCustomDecoder::Log(TLogLevel ALevel, const std::string& AMsg) const
{
    GetLogger().Log(this, ALevel, AMsg);
}

std::string TCustomDecoder::ErrorText(const std::string& APrefix, int ACode)
{
    char text[AV_ERROR_MAX_STRING_SIZE] {};
    if (av_strerror(ACode, text, sizeof text) < 0)
        return APrefix + ": " + FormatText("Error number %d occurred", ACode);
    return APrefix + ": " + text;
}

int TCustomDecoder::InterruptCallback(void* AOpaque)
{
    auto* self = static_cast<TCustomDecoder*>(AOpaque);
    if (self->FLastRead == std::numeric_limits<int64_t>::max() || self->ReadTimeout() <= 0)
        return 0;
    if (av_gettime() - self->FLastRead > int64_t(self->ReadTimeout()) * 1000) {
        self->Log(llInfo, self->FLastRead == 0 ? "connecting/reading canceled" : "connecting/reading timeout");
        return 1;
    }
    return 0;
}

bool TCustomDecoder::LoadFile(const std::string& AFileName, const std::string& AFormatName)
{
    FLoading = true;
    CloseFile();
    FLoading = false;

    const AVInputFormat* format = nullptr;
    if (!AFormatName.empty()) {
        format = av_find_input_format(AFormatName.c_str());
        if (!format) {
            ReportError(llError, "Unknown input format: " + AFormatName);
            CloseFile();
            return false;
        }
    }

    FFileHandle = avformat_alloc_context();
    if (!FFileHandle) {
        ReportError(llError, ErrorText(AFileName, AVERROR(ENOMEM)));
        return false;
    }
    FFileHandle->interrupt_callback = { InterruptCallback, this };
    FOwnHandle = true;
    FLastRead = av_gettime();

    AVDictionary* options = nullptr;
    av_dict_copy(&options, FFormatOptions, 0);
    // On failure the library frees the context and clears the pointer; the options
    // left are those the open did not use.
    int ret = avformat_open_input(&FFileHandle, AFileName.c_str(), format, &options);
    DictionaryPtr unused(options);
    if (ret < 0) {
        FLastErrMsg = ErrorText(AFileName, ret);
        CloseFile();
        return false;
    }
    LogUnusedFormatOptions(options);
    FFileHandle->flags |= AVFMT_FLAG_NONBLOCK;
    FireBeforeFindStreamInfo();
    if (!FindStreamInfo(AFileName)) {
        CloseFile();
        return false;
    }
    if (FFileHandle->pb) {
        FFileHandle->pb->eof_reached = 0;
        FFileHandle->pb->error = 0;
    }
    DoFileLoaded();
    ResetOptions();
    FForceFormat = AFormatName;
    return true;
}

void TCustomDecoder::LogUnusedFormatOptions(AVDictionary* AUnused) const
{
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(AUnused, "", e, AV_DICT_IGNORE_SUFFIX)))
        Log(llError, "Option %s not found, ignored.", e->key);
}

void TCustomDecoder::FireBeforeFindStreamInfo()
{
    if (!FOnBeforeFindStreamInfo)
        return;
    if (FTriggerEventInMainThread)
        RunInMainThread([this] { FOnBeforeFindStreamInfo(this, FFileHandle); });
    else
        FOnBeforeFindStreamInfo(this, FFileHandle);
}

bool TCustomDecoder::FindStreamInfo(const std::string& AFileName)
{
    const unsigned count = FFileHandle->nb_streams;
    std::vector<AVDictionary*> perStream(count, nullptr);
    for (unsigned i = 0; i < count; ++i)
        perStream[i] = StreamCodecOptions(FCodecOptions, FFileHandle, FFileHandle->streams[i]);
    FLastRead = av_gettime();
    int ret = avformat_find_stream_info(FFileHandle, count ? perStream.data() : nullptr);
    for (AVDictionary*& d : perStream)
        av_dict_free(&d);
    // The probe also "succeeds" on an empty or foreign file that merely resembles a
    // format by name; without one stream that can be decoded, nothing was found.
    if (ret < 0 || !HasUsableStream(FFileHandle)) {
        FLastErrMsg = AFileName + ": could not find codec parameters";
        return false;
    }
    return true;
}

void TCustomDecoder::CloseFile()
{
    if (!FLoading) {
        ResetOptions();
        FForceFormat.clear();
    }
    if (FFileHandle) {
        if (FOwnHandle)
            avformat_close_input(&FFileHandle);
        FFileHandle = nullptr;
    }
    DoFileLoaded();
}

void TCustomDecoder::SetFileHandle(AVFormatContext* AHandle)
{
    if (AHandle == FFileHandle)
        return;
    CloseFile();
    FOwnHandle = false;
    FFileHandle = AHandle;
    DoFileLoaded();
}

void TCustomDecoder::DoFileLoaded()
{
    FFileSize = -1;
    FStreamCount = FProgramCount = -1;
    FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = -1;
    FFirstAudioStreamIndex = FFirstVideoStreamIndex = FFirstSubtitleStreamIndex = -1;
    if (!FFileHandle)
        return;

    int64_t librarySize = FFileHandle->pb ? avio_size(FFileHandle->pb) : -1;
    FFileSize = librarySize;
    if (librarySize <= 0 && FFileHandle->url) {
        std::error_code ec;
        auto onDisk = std::filesystem::file_size(std::filesystem::u8path(FFileHandle->url), ec);
        if (!ec)
            FFileSize = static_cast<int64_t>(onDisk);
    }
    FStreamCount = static_cast<int>(FFileHandle->nb_streams);
    FProgramCount = static_cast<int>(FFileHandle->nb_programs);
    FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = 0;
    for (int i = 0; i < FStreamCount; ++i) {
        switch (FFileHandle->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            if (FVideoStreamCount++ == 0)
                FFirstVideoStreamIndex = i;
            break;
        case AVMEDIA_TYPE_AUDIO:
            if (FAudioStreamCount++ == 0)
                FFirstAudioStreamIndex = i;
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            if (FSubtitleStreamCount++ == 0)
                FFirstSubtitleStreamIndex = i;
            break;
        default:
            break;
        }
    }
}

void TCustomDecoder::ResetOptions()
{
    av_dict_free(&FFormatOptions);
    av_dict_free(&FCodecOptions);
}

bool TCustomDecoder::opt_default(const std::string& opt, const std::string& arg)
{
    std::string base = opt.substr(0, opt.find(':'));
    const AVClass* codecClass = avcodec_get_class();
    const AVClass* formatClass = avformat_get_class();
    bool known = false;
    if (KnowsOption(codecClass, base.c_str())
        || (std::string("asv").find(opt[0]) != std::string::npos && KnowsOption(codecClass, opt.c_str() + 1))) {
        av_dict_set(&FCodecOptions, opt.c_str(), arg.c_str(), 0);
        known = true;
    }
    if (KnowsOption(formatClass, opt.c_str())) {
        av_dict_set(&FFormatOptions, opt.c_str(), arg.c_str(), 0);
        known = true;
    }
    if (!known)
        ReportError(llError, FormatText("Unrecognized option \"%s\"", opt.c_str()));
    return known;
}

AVFormatContext* TCustomDecoder::LoadedHandle()
{
    if (!FFileHandle)
        ReportError(llWarning, "file not loaded.");
    return FFileHandle;
}

std::string TCustomDecoder::FileName()
{
    AVFormatContext* ctx = LoadedHandle();
    return ctx && ctx->url ? ctx->url : "";
}

std::string TCustomDecoder::FormatName()
{
    AVFormatContext* ctx = LoadedHandle();
    return ctx && ctx->iformat ? ctx->iformat->name : "";
}

std::string TCustomDecoder::FormatLongName()
{
    AVFormatContext* ctx = LoadedHandle();
    return ctx && ctx->iformat && ctx->iformat->long_name ? ctx->iformat->long_name : "";
}
