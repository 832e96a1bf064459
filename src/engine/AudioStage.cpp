// Decoded audio to packets: conversion, synchronisation, frame cutting, encoding, writing.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <cmath>

void TCustomFFmpeg::DoAudioOut(
    TOutputStream& AOst, TInputStream& AIst, const AVFrame* AFrame, int AFirst, int ACount)
{
    AVCodecContext* enc = AOst.enc.get();
    auto fmt = static_cast<AVSampleFormat>(AFrame->format);
    int channels = AFrame->ch_layout.nb_channels;
    int rate = AFrame->sample_rate;
    if (fmt != AOst.resample_sample_fmt || channels != AOst.resample_channels
        || rate != AOst.resample_sample_rate) {
        GetLogger().Log(this, llInfo,
            FormatText("Input stream #%d:%d frame changed from rate:%d fmt:%s ch:%d to rate:%d "
                       "fmt:%s ch:%d",
                AIst.file_index, AIst.st->index, AOst.resample_sample_rate,
                av_get_sample_fmt_name(AOst.resample_sample_fmt), AOst.resample_channels, rate,
                av_get_sample_fmt_name(fmt), channels));
        AOst.resample_sample_fmt = fmt;
        AOst.resample_channels = channels;
        AOst.resample_sample_rate = rate;
        AOst.swr.reset();
    }
    AOst.audio_resample = fmt != enc->sample_fmt || channels != enc->ch_layout.nb_channels
        || rate != enc->sample_rate || FSettings.Faudio_sync_method > 1
        || AOst.audio_channels_mapped
        || (AFrame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC
            && av_channel_layout_compare(&AFrame->ch_layout, &enc->ch_layout));
    if (AOst.audio_resample && !AOst.swr)
        SetupConverter(AOst, AFrame);

    if (!SyncAudio(AOst, AIst, AFrame, AFirst, ACount))
        return;
    bool planar = av_sample_fmt_is_planar(fmt);
    size_t skip = size_t(AFirst) * av_get_bytes_per_sample(fmt) * (planar ? 1 : channels);
    FPlanes.resize(planar ? channels : 1);
    for (size_t p = 0; p < FPlanes.size(); ++p)
        FPlanes[p] = AFrame->extended_data[p] + skip;

    if (AOst.audio_resample) {
        int room = swr_get_out_samples(AOst.swr.get(), ACount);
        if (room < 0 || !FConvertBuf.Reserve(enc->sample_fmt, enc->ch_layout.nb_channels, room))
            Fatal("Out of memory in do_audio_out()");
        int n = swr_convert(AOst.swr.get(), FConvertBuf.Data(), room,
            const_cast<const uint8_t**>(FPlanes.data()), ACount);
        if (n < 0)
            Fatal(FormatText("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                channels, rate, enc->ch_layout.nb_channels, enc->sample_rate));
        PutSamples(AOst, FConvertBuf.Data(), n);
    } else {
        PutSamples(AOst, FPlanes.data(), ACount);
    }
    EncodeFifo(AOst, false);
}

void TCustomFFmpeg::SetupConverter(TOutputStream& AOst, const AVFrame* AFrame)
{
    AVCodecContext* enc = AOst.enc.get();
    // With a channel map the converter reads the mapped channels as a layout of their
    // own, picked from the frame's channels.
    AVChannelLayout in {};
    if (AOst.audio_channels_mapped)
        av_channel_layout_default(&in, AOst.audio_channels_mapped);
    else if (AFrame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, AFrame->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &AFrame->ch_layout);
    SwrContext* swr = nullptr;
    int ret = swr_alloc_set_opts2(&swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate, &in,
        static_cast<AVSampleFormat>(AFrame->format), AFrame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    TSwrPtr holder(swr);
    if (ret >= 0) {
        av_opt_set_double(swr, "rmvol", AOst.rematrix_volume, 0);
        if (AOst.audio_channels_mapped) {
            swr_set_channel_mapping(swr, AOst.audio_channels_map);
            av_opt_set_int(swr, "uch", AOst.audio_channels_mapped, 0);
            av_opt_set_int(swr, "ich", AFrame->ch_layout.nb_channels, 0);
        }
        if (FSettings.Faudio_sync_method > 1)
            av_opt_set_int(swr, "flags", SWR_FLAG_RESAMPLE, 0);
        ret = swr_init(swr);
        if (ret < 0)
            GetLogger().Log(this, llFatal, "swr_init() failed");
    }
    if (ret < 0)
        Fatal(FormatText("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
            AFrame->ch_layout.nb_channels, AFrame->sample_rate, enc->ch_layout.nb_channels,
            enc->sample_rate));
    AOst.swr = std::move(holder);
}

bool TCustomFFmpeg::SyncAudio(
    TOutputStream& AOst, TInputStream& AIst, const AVFrame* AFrame, int& AFirst, int& ACount)
{
    AVCodecContext* enc = AOst.enc.get();
    int inRate = AFrame->sample_rate;
    const TOutputFile& of = FOutputFiles[AOst.file_index];
    double ipts = double(AIst.pts - of.start_time) / AV_TIME_BASE + double(AFirst) / inRate;
    int64_t buffered = av_audio_fifo_size(AOst.fifo.get());
    if (AOst.swr)
        buffered += swr_get_delay(AOst.swr.get(), enc->sample_rate);

    if (FSettings.Faudio_sync_method == 0) {
        // Timestamps follow the input, but never step back over samples already queued.
        AOst.sync_opts = std::max<int64_t>(llround(ipts * enc->sample_rate) - buffered, AOst.sync_opts);
        return true;
    }
    double delta = ipts * enc->sample_rate - double(AOst.sync_opts) - double(buffered);
    if (std::fabs(delta) <= 50)
        return true;
    if (AIst.is_start || std::fabs(delta) > FSettings.Faudio_drift_threshold * enc->sample_rate) {
        AIst.is_start = false;
        if (delta < 0) {
            int drop = static_cast<int>(
                std::min<int64_t>(llround(-delta * inRate / enc->sample_rate), ACount));
            GetLogger().Log(this, llVerbose, FormatText("discarding %d audio samples", drop));
            AFirst += drop;
            ACount -= drop;
            return ACount > 0;
        }
        int silence = static_cast<int>(llround(delta));
        GetLogger().Log(this, llVerbose, FormatText("adding %d audio samples of silence", silence));
        PutSilence(AOst, silence);
        return true;
    }
    if (FSettings.Faudio_sync_method > 1 && AOst.swr) {
        int comp = static_cast<int>(std::clamp<int64_t>(
            llround(delta), -FSettings.Faudio_sync_method, FSettings.Faudio_sync_method));
        GetLogger().Log(this, llVerbose, FormatText("compensating audio timestamp drift:%f compensation:%d in:%d",
                                 delta, comp, enc->sample_rate));
        swr_set_compensation(AOst.swr.get(), comp, enc->sample_rate);
    }
    return true;
}

void TCustomFFmpeg::PutSamples(TOutputStream& AOst, uint8_t* const* AData, int ASamples)
{
    if (ASamples <= 0)
        return;
    if (av_audio_fifo_write(AOst.fifo.get(), reinterpret_cast<void**>(const_cast<uint8_t**>(AData)), ASamples)
        < ASamples)
        Fatal("av_fifo_realloc2() failed");
}

void TCustomFFmpeg::PutSilence(TOutputStream& AOst, int ASamples)
{
    AVCodecContext* enc = AOst.enc.get();
    int channels = enc->ch_layout.nb_channels;
    if (!FConvertBuf.Reserve(enc->sample_fmt, channels, ASamples))
        Fatal("Out of memory in do_audio_out()");
    av_samples_set_silence(FConvertBuf.Data(), 0, ASamples, channels, enc->sample_fmt);
    PutSamples(AOst, FConvertBuf.Data(), ASamples);
}

void TCustomFFmpeg::EncodeFifo(TOutputStream& AOst, bool AFinal)
{
    AVAudioFifo* fifo = AOst.fifo.get();
    int frameSize = AOst.enc->frame_size;
    if (frameSize < 2) {
        // Encoders without a fixed frame (PCM) take each block as it comes.
        if (int n = av_audio_fifo_size(fifo); n > 0)
            EncodeSamples(AOst, n);
        return;
    }
    while (av_audio_fifo_size(fifo) >= frameSize)
        EncodeSamples(AOst, frameSize);
    // A short last frame; the codec library pads it for encoders that need whole frames.
    if (AFinal && av_audio_fifo_size(fifo) > 0)
        EncodeSamples(AOst, av_audio_fifo_size(fifo));
}

void TCustomFFmpeg::EncodeSamples(TOutputStream& AOst, int ASamples)
{
    AVCodecContext* enc = AOst.enc.get();
    AVFrame* frame = FEncodeFrame.get();
    if (!frame->buf[0] || !av_frame_is_writable(frame) || FEncodeFrameCapacity < ASamples
        || frame->format != enc->sample_fmt
        || av_channel_layout_compare(&frame->ch_layout, &enc->ch_layout)) {
        av_frame_unref(frame);
        frame->format = enc->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
        frame->sample_rate = enc->sample_rate;
        frame->nb_samples = std::max(ASamples, enc->frame_size);
        if (av_frame_get_buffer(frame, 0) < 0)
            Fatal("Out of memory in do_audio_out()");
        FEncodeFrameCapacity = frame->nb_samples;
    }
    frame->nb_samples = ASamples;
    if (av_audio_fifo_read(AOst.fifo.get(), reinterpret_cast<void**>(frame->extended_data),
            ASamples)
        < ASamples)
        Fatal("Audio encoding failed");
    frame->pts = AOst.sync_opts;
    AOst.sync_opts += ASamples;
    EncodeFrame(AOst, frame);
}

void TCustomFFmpeg::EncodeFrame(TOutputStream& AOst, AVFrame* AFrame)
{
    AVCodecContext* enc = AOst.enc.get();
    int ret = avcodec_send_frame(enc, AFrame);
    if (ret < 0 && ret != AVERROR_EOF)
        Fatal("Audio encoding failed");
    AVPacket* pkt = FEncodedPacket.get();
    while ((ret = avcodec_receive_packet(enc, pkt)) >= 0) {
        FAudioSize += pkt->size;
        WritePacket(AOst, pkt);
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
        Fatal("Audio encoding failed");
}

void TCustomFFmpeg::WritePacket(TOutputStream& AOst, AVPacket* APkt)
{
    TOutputFile& of = FOutputFiles[AOst.file_index];
    APkt->stream_index = AOst.index;
    if (AOst.encoding_needed) {
        av_packet_rescale_ts(APkt, AOst.enc->time_base, PacketTimeBase(AOst));
        APkt->flags |= AV_PKT_FLAG_KEY;
    }
    if (!AOst.bsfs.empty() && !FilterPacket(AOst, APkt))
        return;
    if (APkt->pts != AV_NOPTS_VALUE)
        AOst.mux_end = APkt->pts + APkt->duration;
    AOst.last_dts = APkt->dts;
    FLastWrite = av_gettime_relative();
    int ret = av_interleaved_write_frame(of.ctx, APkt);
    if (ret >= 0 && of.ctx->pb && of.ctx->pb->error < 0)
        ret = of.ctx->pb->error;
    if (ret < 0)
        Fatal(ErrorText("av_interleaved_write_frame()", ret));
}

bool TCustomFFmpeg::FilterPacket(TOutputStream& AOst, AVPacket* APkt)
{
    for (const TBsfPtr& bsf : AOst.bsfs) {
        int ret = av_bsf_send_packet(bsf.get(), APkt);
        if (ret >= 0)
            ret = av_bsf_receive_packet(bsf.get(), APkt);
        if (ret == AVERROR(EAGAIN))
            return false;
        if (ret < 0) {
            std::string text = ErrorText(FormatText("%s failed for stream %d, codec %s",
                                             bsf->filter->name, AOst.index,
                                             AOst.codec && !AOst.stream_copy ? AOst.codec->name : "copy"),
                ret);
            if (FSettings.Fexit_on_error)
                Fatal(text);
            GetLogger().Log(this, llError, text);
            av_packet_unref(APkt);
            return false;
        }
    }
    av_packet_rescale_ts(APkt, AOst.bsfs.back()->time_base_out, AOst.st->time_base);
    return true;
}

void TCustomFFmpeg::FlushEncoders(int ABound)
{
    for (int i = 0; i < ABound; ++i) {
        TOutputStream& ost = FOutputStreams[i];
        if (ost.encoder_flushed)
            continue;
        ost.encoder_flushed = true;
        if (!ost.encoding_needed)
            continue;
        if (ost.swr) {
            AVCodecContext* enc = ost.enc.get();
            int room = swr_get_out_samples(ost.swr.get(), 0);
            if (room > 0) {
                if (!FConvertBuf.Reserve(enc->sample_fmt, enc->ch_layout.nb_channels, room))
                    Fatal("Out of memory in do_audio_out()");
                PutSamples(ost, FConvertBuf.Data(),
                    swr_convert(ost.swr.get(), FConvertBuf.Data(), room, nullptr, 0));
            }
        }
        EncodeFifo(ost, true);
        EncodeFrame(ost, nullptr);
    }
}
