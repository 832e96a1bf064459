#include "media/FFDecoder.h"

#include "media/AuException.h"
#include "media/ErrorText.h"
#include "media/FormatText.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

template <typename T>
void Interleave(uint8_t* AOut, const uint8_t* const* APlanes, int AChannels, int ASamples)
{
    T* out = reinterpret_cast<T*>(AOut);
    for (int s = 0; s < ASamples; ++s)
        for (int c = 0; c < AChannels; ++c)
            std::memcpy(out++, APlanes[c] + s * sizeof(T), sizeof(T));
}

void InterleaveSamples(uint8_t* AOut, const AVFrame* AFrame, int ABytesPerSample)
{
    const int channels = AFrame->ch_layout.nb_channels;
    const uint8_t* const* planes = AFrame->extended_data;
    switch (ABytesPerSample) {
    case 1: Interleave<uint8_t>(AOut, planes, channels, AFrame->nb_samples); break;
    case 2: Interleave<uint16_t>(AOut, planes, channels, AFrame->nb_samples); break;
    case 4: Interleave<uint32_t>(AOut, planes, channels, AFrame->nb_samples); break;
    default: Interleave<uint64_t>(AOut, planes, channels, AFrame->nb_samples); break;
    }
}

const char* SampleFormatName(int AFormat)
{
    const char* name = av_get_sample_fmt_name(static_cast<AVSampleFormat>(AFormat));
    return name ? name : "none";
}

}  // namespace

TFFDecoder::TFFDecoder()
    : FAudioDecodedFrame(av_frame_alloc())
    , FPacket(av_packet_alloc())
{
    if (!FAudioDecodedFrame || !FPacket)
        throw std::bad_alloc();
}

TFFDecoder::~TFFDecoder()
{
    TFFDecoder::CloseFile();
}

void TFFDecoder::CloseFile()
{
    FSeekIndex = -1;
    FLastPTS = AV_NOPTS_VALUE;
    FEOF = FEOFpkt = false;
    ResetAudioState();
    FAudioCodec.reset();
    FAudioCodecStream = -1;
    TCustomDecoder::CloseFile();
}

void TFFDecoder::ResetAudioState()
{
    FDesireAudioIndex = -1;
    FWaveInfo = {};
    FResampleChannels = FResampleSampleRate = -1;
    FResampleSampleFormat = AV_SAMPLE_FMT_NONE;
    FreeResampler();
    FRemainsAudioSize = 0;
    FAudioSize = 0;
}

void TFFDecoder::FreeResampler()
{
    FAudioSwrCtx.reset();
}

void TFFDecoder::SetDesireAudioChannels(int AValue)
{
    if (AValue != FDesireAudioChannels) {
        FDesireAudioChannels = AValue;
        FreeResampler();
    }
}

void TFFDecoder::SetDesireAudioSampleRate(int AValue)
{
    if (AValue != FDesireAudioSampleRate) {
        FDesireAudioSampleRate = AValue;
        FreeResampler();
    }
}

void TFFDecoder::SetDesireAudioSampleFormat(AVSampleFormat AValue)
{
    if (AValue != FDesireAudioSampleFormat) {
        FDesireAudioSampleFormat = AValue;
        FreeResampler();
    }
}

bool TFFDecoder::SelectAudioStream(int AStreamIndex)
{
    if (!LoadedHandle())
        return false;
    if (!FOwnHandle) {
        ReportError(llWarning, "file cannot be seeked, handle is readonly.");
        throw EAuException(LastErrMsg());
    }
    int index = AStreamIndex;
    if (index < 0) {
        index = FDesireAudioIndex >= 0 ? FDesireAudioIndex : FirstAudioStreamIndex();
        if (index < 0) {
            ReportError(llError, "no audio stream.");
            return false;
        }
    } else if (!StreamOfType(index, AVMEDIA_TYPE_AUDIO, -1, "audio")) {
        return false;
    }
    if (index != FDesireAudioIndex) {
        FWaveInfo = {};
        FRemainsAudioSize = 0;
        FreeResampler();
    }
    FDesireAudioIndex = FSeekIndex = index;
    return true;
}

bool TFFDecoder::OpenAudioCodec()
{
    if (FAudioCodec && FAudioCodecStream == FDesireAudioIndex)
        return true;
    FAudioCodec.reset();
    FAudioCodecStream = -1;
    const AVStream* st = FFileHandle->streams[FDesireAudioIndex];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) {
        ReportError(llError, FormatText("Unsupported codec (id=%d) for input file stream #%d",
                                      static_cast<int>(st->codecpar->codec_id), FDesireAudioIndex));
        return false;
    }
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    bool ok = ctx && avcodec_parameters_to_context(ctx.get(), st->codecpar) >= 0;
    if (ok) {
        ctx->pkt_timebase = st->time_base;
        // Decoders that can mix down do so themselves; the others are converted later.
        AVChannelLayout wanted {};
        av_channel_layout_default(&wanted, FDesireAudioChannels);
        av_opt_set_chlayout(ctx.get(), "downmix", &wanted, 0);
        av_channel_layout_uninit(&wanted);
        ok = avcodec_open2(ctx.get(), codec, nullptr) >= 0;
    }
    if (!ok) {
        ReportError(llError, FormatText("Error while opening codec for input file stream #%d", FDesireAudioIndex));
        return false;
    }
    FAudioCodec = std::move(ctx);
    FAudioCodecStream = FDesireAudioIndex;
    return true;
}

TFFDecoder::TReadResult TFFDecoder::ReadPacket(AVPacket* APacket)
{
    FLastRead = av_gettime();
    const int ret = av_read_frame(FFileHandle, APacket);
    if (ret >= 0)
        return TReadResult::Packet;
    if (ret == AVERROR(EAGAIN)) {
        ReportError(llInfo, "no data, please try again.");
        return TReadResult::Stop;
    }
    if (FEOFpkt) {
        const bool ioError = FFileHandle->pb && FFileHandle->pb->error;
        if (ret != AVERROR_EOF && ret != AVERROR(EPIPE) && !ioError) {
            ReportError(llInfo, FormatText("unknown error #%d.", ret));
            return TReadResult::Stop;
        }
        ReportError(llInfo, "stream eof reached.");
        FEOF = true;
        return TReadResult::Stop;
    }
    // The first failure ends the input: drain what the decoder still holds.
    FEOFpkt = true;
    return TReadResult::Flush;
}

bool TFFDecoder::DecodeAudio(int AStreamIndex)
{
    if (!SelectAudioStream(AStreamIndex))
        return false;
    if (FEOF && FEOFpkt) {
        ReportError(llInfo, "stream eof reached.");
        return false;
    }
    if (!OpenAudioCodec())
        return false;
    FLastPTS = AV_NOPTS_VALUE;
    for (;;) {
        const TReadResult read = ReadPacket(FPacket.get());
        if (read == TReadResult::Stop)
            return false;
        if (read == TReadResult::Packet && FPacket->stream_index != FDesireAudioIndex) {
            av_packet_unref(FPacket.get());
            continue;
        }
        const AVPacket* packet = read == TReadResult::Packet ? FPacket.get() : nullptr;
        FWaveInfo = {};
        const bool ok = GatherAudio(packet);
        if (ok && FAudioSize > 0) {
            Log(llDebug, "pkt.st_idx=%d, dts=%lld, pts=%lld, flags=%d, samples data size=%d",
                                      FDesireAudioIndex, static_cast<long long>(packet ? packet->dts : AV_NOPTS_VALUE),
                                      static_cast<long long>(packet ? packet->pts : AV_NOPTS_VALUE),
                                      packet ? packet->flags : 0, FAudioSize);
            FillWaveInfo(packet);
        }
        av_packet_unref(FPacket.get());
        if (!ok || FAudioSize > 0)
            return ok;
    }
}

// Decodes one packet (none: drain the decoder and the converter) into the chunk.
// False only when the chunk cannot be built; a decoding error skips the packet.
bool TFFDecoder::GatherAudio(const AVPacket* APacket)
{
    FAudioSize = 0;
    AVCodecContext* codec = FAudioCodec.get();
    AVFrame* frame = FAudioDecodedFrame.get();
    int ret = avcodec_send_packet(codec, APacket);
    if (ret < 0 && ret != AVERROR_EOF) {
        Log(llError, DecodeErrorText(ret));
        return true;
    }
    int frames = 0;
    while ((ret = avcodec_receive_frame(codec, frame)) >= 0) {
        if (APacket && ++frames == 2)
            Log(llWarning, "Multiple frames in a packet from stream %d", FDesireAudioIndex);
        const bool ok = frame->nb_samples <= 0 || AppendFrame(frame);
        av_frame_unref(frame);
        if (!ok)
            return false;
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
        Log(llError, DecodeErrorText(ret));
    // At the end the converter gives up the samples its filter still holds.
    if (!APacket && FAudioSwrCtx)
        return ConvertInto(nullptr, 0);
    return true;
}

std::string TFFDecoder::DecodeErrorText(int ACode) const
{
    return ErrorText(FormatText("Error while decoding audio stream #%d", FDesireAudioIndex), ACode);
}

bool TFFDecoder::AppendFrame(const AVFrame* AFrame)
{
    if (!NoteSourceFormat(AFrame))
        return false;
    const auto format = static_cast<AVSampleFormat>(AFrame->format);
    if (av_get_packed_sample_fmt(format) == FDesireAudioSampleFormat
        && AFrame->ch_layout.nb_channels == FDesireAudioChannels && AFrame->sample_rate == FDesireAudioSampleRate) {
        const int bytesPerSample = av_get_bytes_per_sample(format);
        uint8_t* out = ReserveOutput(int64_t(AFrame->nb_samples) * bytesPerSample * FDesireAudioChannels);
        if (!out)
            return false;
        if (av_sample_fmt_is_planar(format))
            InterleaveSamples(out, AFrame, bytesPerSample);
        else
            std::memcpy(out, AFrame->data[0], size_t(AFrame->nb_samples) * bytesPerSample * FDesireAudioChannels);
        FAudioSize += AFrame->nb_samples * bytesPerSample * FDesireAudioChannels;
        return true;
    }
    if (!FAudioSwrCtx && !CreateResampler(AFrame))
        return false;
    return ConvertInto(const_cast<const uint8_t**>(AFrame->extended_data), AFrame->nb_samples);
}

// Notes the source format of a frame; when it changed, the old converter hands out
// what it holds and is dropped so that the next conversion builds a new one.
bool TFFDecoder::NoteSourceFormat(const AVFrame* AFrame)
{
    const int channels = AFrame->ch_layout.nb_channels;
    if (channels == FResampleChannels && AFrame->sample_rate == FResampleSampleRate
        && AFrame->format == FResampleSampleFormat)
        return true;
    if (FResampleChannels != -1) {
        Log(llInfo, "Audio stream #%d frame changed from rate:%d fmt:%s ch:%d to rate:%d fmt:%s ch:%d",
                             FDesireAudioIndex, FResampleSampleRate, SampleFormatName(FResampleSampleFormat),
                             FResampleChannels, AFrame->sample_rate, SampleFormatName(AFrame->format), channels);
        if (FAudioSwrCtx && !ConvertInto(nullptr, 0))
            return false;
        FreeResampler();
    }
    FResampleChannels = channels;
    FResampleSampleRate = AFrame->sample_rate;
    FResampleSampleFormat = static_cast<AVSampleFormat>(AFrame->format);
    return true;
}

bool TFFDecoder::CreateResampler(const AVFrame* AFrame)
{
    const int channels = AFrame->ch_layout.nb_channels;
    AVChannelLayout in {};
    if (AFrame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, channels);
    else
        av_channel_layout_copy(&in, &AFrame->ch_layout);
    // The source layout is kept when the channel count stays, else a standard one.
    AVChannelLayout out {};
    if (in.nb_channels == FDesireAudioChannels)
        av_channel_layout_copy(&out, &in);
    else
        av_channel_layout_default(&out, FDesireAudioChannels);
    SwrContext* swr = nullptr;
    const int ret = swr_alloc_set_opts2(&swr, &out, FDesireAudioSampleFormat, FDesireAudioSampleRate, &in,
        static_cast<AVSampleFormat>(AFrame->format), AFrame->sample_rate, 0, nullptr);
    SwrContextPtr holder(swr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (ret >= 0 && holder && swr_init(holder.get()) < 0) {
        Log(llFatal, "swr_init() failed");
        holder.reset();
    }
    if (ret < 0 || !holder) {
        ReportError(llError, FormatText("Can not resample %d channels @ %d Hz to %d channels @ %d Hz", channels,
                                      AFrame->sample_rate, FDesireAudioChannels, FDesireAudioSampleRate));
        return false;
    }
    Log(llInfo, "need resample %d channels @ %d Hz to %d channels @ %d Hz", channels, AFrame->sample_rate,
                         FDesireAudioChannels, FDesireAudioSampleRate);
    FAudioSwrCtx = std::move(holder);
    return true;
}

// Converts samples (none: flush the converter) and appends them to the chunk.
bool TFFDecoder::ConvertInto(const uint8_t** AInput, int ASamples)
{
    const int room = swr_get_out_samples(FAudioSwrCtx.get(), ASamples);
    if (room <= 0)
        return true;
    const int frameBytes = av_get_bytes_per_sample(FDesireAudioSampleFormat) * FDesireAudioChannels;
    uint8_t* out = ReserveOutput(int64_t(room) * frameBytes);
    if (!out)
        return false;
    const int converted = swr_convert(FAudioSwrCtx.get(), &out, room, AInput, ASamples);
    if (converted < 0)
        Log(llError, ErrorText("Error while converting audio", converted));
    else
        FAudioSize += converted * frameBytes;
    return true;
}

uint8_t* TFFDecoder::ReserveOutput(int64_t ABytes)
{
    const int64_t total = FAudioSize + ABytes;
    if (total > INT_MAX) {
        ReportError(llError, "Buffer sizes too large in DecodeAudio");
        return nullptr;
    }
    if (FAudioBuffer.size() < static_cast<size_t>(total)) {
        try {
            FAudioBuffer.resize(static_cast<size_t>(total));
        } catch (const std::bad_alloc&) {
            ReportError(llError, "Out of memory in DecodeAudio");
            return nullptr;
        }
    }
    return FAudioBuffer.data() + FAudioSize;
}

void TFFDecoder::FillWaveInfo(const AVPacket* APacket)
{
    const AVStream* st = FFileHandle->streams[FDesireAudioIndex];
    TWaveInfo& w = FWaveInfo;
    w.Channels = FDesireAudioChannels;
    w.SampleRate = FDesireAudioSampleRate;
    w.SampleFormat = FDesireAudioSampleFormat;
    w.BytesPerSample = av_get_bytes_per_sample(FDesireAudioSampleFormat);
    w.BytesPerSecond = w.BytesPerSample * w.SampleRate * w.Channels;
    int64_t ts = AV_NOPTS_VALUE;
    if (APacket)
        ts = APacket->dts != AV_NOPTS_VALUE ? APacket->dts : APacket->pts;
    if (ts != AV_NOPTS_VALUE) {
        if (st->start_time != AV_NOPTS_VALUE)
            ts -= st->start_time;
        w.PTS = av_rescale_q(ts, st->time_base, AV_TIME_BASE_Q);
        Log(llDebug, "decode PTS: %0.3f", w.PTS / 1000000.0);
    }
    w.OriginalDTS = APacket ? APacket->dts : AV_NOPTS_VALUE;
    w.OriginalPTS = APacket ? APacket->pts : AV_NOPTS_VALUE;
    w.StreamIndex = FDesireAudioIndex;
    w.Ready = true;
    w.Buffer = FAudioBuffer.data();
    w.Size = FAudioSize;
    w.Duration = (1000000 / w.BytesPerSample) * int64_t(w.Size) / (int64_t(w.SampleRate) * w.Channels);
}

int TFFDecoder::ReadAudio(uint8_t* ABuffer, int ACount, int AStreamIndex)
{
    if (FRemainsAudioSize <= 0) {
        if (!DecodeAudio(AStreamIndex))
            return -1;
        FRemainsAudioSize = FWaveInfo.Size;
    }
    const int n = std::min(std::max(ACount, 0), FRemainsAudioSize);
    if (ABuffer && n > 0) {
        std::memcpy(ABuffer, FWaveInfo.Buffer + (FWaveInfo.Size - FRemainsAudioSize), size_t(n));
        FRemainsAudioSize -= n;
    }
    return n;
}

bool TFFDecoder::Seek(int64_t APTS, TSeekFlags ASeekFlags)
{
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return false;
    if (!FOwnHandle) {
        ReportError(llWarning, "file cannot be seeked, handle is readonly.");
        throw EAuException(LastErrMsg());
    }
    if (std::strcmp(ctx->iformat->name, "image2") == 0) {
        ReportError(llInfo, "\"image2\" format cannot to be seeked.");
        return false;
    }
    if (ctx->pb)
        Log(llDebug, "current position %lld bytes", static_cast<long long>(avio_tell(ctx->pb)));
    int64_t target = APTS;
    if (!(ASeekFlags & sfByte)) {
        int64_t start = ctx->start_time;
        if (FSeekIndex >= 0) {
            const AVStream* st = ctx->streams[FSeekIndex];
            target = av_rescale_q(target, AV_TIME_BASE_Q, st->time_base);
            start = st->start_time;
        }
        if (start != AV_NOPTS_VALUE)
            target += start;
    }
    if (FAudioCodec)
        avcodec_flush_buffers(FAudioCodec.get());
    FEOF = FEOFpkt = false;
    FWaveInfo = {};
    FRemainsAudioSize = 0;
    FAudioSize = 0;
    FreeResampler();

    FLastRead = av_gettime();
    int ret = avformat_seek_file(ctx, FSeekIndex, INT64_MIN, target, INT64_MAX, ASeekFlags);
    if (ret < 0)
        ret = av_seek_frame(ctx, FSeekIndex, target, ASeekFlags);
    if (ret < 0)
        ret = av_seek_frame(ctx, FSeekIndex, target, ASeekFlags ^ sfBackward);
    if (ret < 0) {
        ReportError(llError, (ASeekFlags & sfByte)
                ? FormatText("could not seek to position %lld bytes", static_cast<long long>(APTS))
                : FormatText("could not seek to position %0.3f seconds", APTS / 1000000.0));
        return false;
    }
    if (ctx->pb)
        Log(llDebug, "seek to position %lld bytes", static_cast<long long>(avio_tell(ctx->pb)));
    return true;
}

int64_t TFFDecoder::Position()
{
    AVFormatContext* ctx = LoadedHandle();
    if (!ctx)
        return -1;
    if (!ctx->pb) {
        ReportError(llWarning, "cannot get position");
        return -1;
    }
    return avio_tell(ctx->pb);
}
