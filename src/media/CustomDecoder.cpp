#include "media/CustomDecoder.h"

#include "media/ErrorText.h"
#include "media/FFLoader.h"
#include "media/FormatText.h"
#include "media/LibAVPtr.h"
#include "media/MainThreadDispatcher.h"
#include "media/ToLibraryPath.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <algorithm>
#include <filesystem>
#include <limits>

namespace {

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
}

bool TCustomDecoder::LoadAVLib(const std::string& APath)
{
    FFLoader().SetLibraryPath(APath);
    const bool loaded = FFLoader().Load(DecoderLibraries);
    if (loaded)
        FOptions.init_opts();
    else
        FLastErrMsg = FFLoader().LastErrMsg();
    return loaded;
}

bool TCustomDecoder::AVLibLoaded() const
{
    return FFLoader().Loaded(DecoderLibraries);
}

void TCustomDecoder::UnloadAVLib()
{
    FFLoader().Unload(DecoderLibraries);
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
    FFLoader().CheckLibAV(DecoderLibraries);
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

    // On failure the library frees the context and clears the pointer; the options
    // left are those the open did not use.
    TAVDict options = FOptions.FormatOptions();
    int ret = avformat_open_input(&FFileHandle, ToLibraryPath(AFileName).c_str(), format, options.receive());
    if (ret < 0) {
        FLastErrMsg = ErrorText(AFileName, ret);
        CloseFile();
        return false;
    }
    for (const auto& [key, value] : options.Entries())
        Log(llError, "Option %s not found, ignored.", key);
    FFileHandle->flags |= AVFMT_FLAG_NONBLOCK;
    FireBeforeFindStreamInfo();
    if (!FindStreamInfo(AFileName)) {
        CloseFile();
        return false;
    }
    MeasureGuessedDuration(AFileName);
    if (FFileHandle->pb) {
        FFileHandle->pb->eof_reached = 0;
        FFileHandle->pb->error = 0;
    }
    DoFileLoaded();
    FOptions.init_opts();
    FForceFormat = AFormatName;
    return true;
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
    TStreamInfoOptions perStream = FOptions.setup_find_stream_info_opts(FFileHandle);
    FLastRead = av_gettime();
    const int ret = avformat_find_stream_info(FFileHandle, perStream.data());
    // The probe also "succeeds" on an empty or foreign file that merely resembles a
    // format by name; without one stream that can be decoded, nothing was found.
    if (ret < 0 || !HasUsableStream(FFileHandle)) {
        FLastErrMsg = AFileName + ": could not find codec parameters";
        return false;
    }
    return true;
}

// A duration the library only guessed from the bit rate (a VBR MP3 without a Xing
// header, raw AAC) can be off by many seconds. Reading the packet headers once, on a
// second handle so that the input stays where it is, gives it exactly.
void TCustomDecoder::MeasureGuessedDuration(const std::string& AFileName)
{
    if (FFileHandle->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE || !FFileHandle->pb
        || !(FFileHandle->pb->seekable & AVIO_SEEKABLE_NORMAL))
        return;
    FormatContextPtr scan(avformat_alloc_context());
    if (!scan)
        return;
    scan->interrupt_callback = { InterruptCallback, this };
    FLastRead = av_gettime();
    AVFormatContext* opened = scan.release();
    if (avformat_open_input(&opened, ToLibraryPath(AFileName).c_str(), FFileHandle->iformat, nullptr) < 0)
        return;
    scan.reset(opened);
    PacketPtr packet(av_packet_alloc());
    const unsigned count = std::min(scan->nb_streams, FFileHandle->nb_streams);
    std::vector<int64_t> ends(count, AV_NOPTS_VALUE);
    while (packet && (FLastRead = av_gettime(), av_read_frame(scan.get(), packet.get())) >= 0) {
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        if (index < count && packet->pts != AV_NOPTS_VALUE)
            ends[index] = std::max(ends[index], packet->pts + packet->duration);
        av_packet_unref(packet.get());
    }
    int64_t end = AV_NOPTS_VALUE;
    for (unsigned i = 0; i < count; ++i) {
        if (ends[i] == AV_NOPTS_VALUE)
            continue;
        AVStream* st = FFileHandle->streams[i];
        const int64_t streamEnd = av_rescale_q(ends[i], scan->streams[i]->time_base, st->time_base);
        st->duration = streamEnd - (st->start_time != AV_NOPTS_VALUE ? st->start_time : 0);
        end = std::max(end, av_rescale_q(streamEnd, st->time_base, AV_TIME_BASE_Q));
    }
    if (end != AV_NOPTS_VALUE)
        FFileHandle->duration = end - (FFileHandle->start_time != AV_NOPTS_VALUE ? FFileHandle->start_time : 0);
}

void TCustomDecoder::CloseFile()
{
    if (!FLoading) {
        if (AVLibLoaded())
            FOptions.init_opts();
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

bool TCustomDecoder::opt_default(const std::string& opt, const std::string& arg)
{
    if (!AVLibLoaded()) {
        ReportError(llError, "libav not loaded.");
        return false;
    }
    return FOptions.opt_default(opt, arg) >= 0;
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
