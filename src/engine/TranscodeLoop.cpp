// The conversion proper: read, decode, adjust the volume, trim, hand to the encoders.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"
#include "engine/Volume.h"

extern "C" {
#include <libavutil/time.h>
}

#include <chrono>
#include <thread>

namespace {

int64_t Now() { return av_gettime_relative(); }

constexpr int kNothingToRead = -1;
constexpr int kTryAgain = -2;

// How many of a frame's samples, starting at APts, lie before AStart.
int SamplesBefore(int64_t AStart, int64_t APts, int ARate, int ASamples)
{
    if (APts >= AStart)
        return 0;
    return static_cast<int>(
        std::min<int64_t>(av_rescale(AStart - APts, ARate, AV_TIME_BASE), ASamples));
}

}  // namespace

void TCustomFFmpeg::Convert()
{
    FLastErrMsg.clear();
    int ret = TranscodeInit();
    if (ret < 0) {
        std::string text
            = FLastErrMsg.empty() ? ErrorText("transcode_init() error", ret) : FLastErrMsg;
        FLastErrMsg = text;
        throw FFmpegException(text);
    }
    if (FOutputDuration < 0)
        FOutputDuration = FInputDuration;
    FDecodedFrame.reset(av_frame_alloc());
    FEncodeFrame.reset(av_frame_alloc());
    FEncodedPacket.reset(av_packet_alloc());
    if (!FDecodedFrame || !FEncodeFrame || !FEncodedPacket)
        Fatal("Out of memory in do_audio_out()");
    FLoopStart = Now();
    FJoinIndex = 0;

    TranscodeLoop();

    FFinishing = true;
    FlushDecoders(-1);
    FlushEncoders(static_cast<int>(FOutputStreams.size()));
    // An input whose every packet failed to decode is no success, even though the
    // output got its header.
    if (FAudioSize == 0 && !FLastDecodeError.empty() && !FBroken)
        Fatal(FLastDecodeError + ": nothing could be decoded");
    WriteTrailers();
    ProgressReport(true, -1);
    CloseOutputs();
    CloseCodecs();
    FFinished = !FBroken;
}

void TCustomFFmpeg::TranscodeLoop()
{
    std::vector<char> noPacket(FInputFiles.size(), 0);
    TPacketPtr pkt(av_packet_alloc());
    if (!pkt)
        Fatal("Out of memory in do_audio_out()");
    int64_t lastReport = FLoopStart;
    while (!FBroken) {
        FPauseGate.Wait();
        int f = ChooseInputFile(noPacket);
        if (f == kNothingToRead)
            break;
        if (f == kTryAgain) {
            std::fill(noPacket.begin(), noPacket.end(), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        TInputFile& ifile = FInputFiles[f];
        FLastRead = Now();
        int ret = av_read_frame(ifile.ctx.get(), pkt.get());
        if (ret == AVERROR(EAGAIN)) {
            noPacket[f] = 1;
            continue;
        }
        if (ret < 0) {
            ifile.eof_reached = true;
            if (FSettings.Fopt_shortest && !FJoinMode)
                break;
            if (FJoinMode) {
                if (FJoinIndex + 1 >= InputCount())
                    break;
                JoinSwitch();
            }
            continue;
        }
        std::fill(noPacket.begin(), noPacket.end(), 0);
        ProcessPacket(f, pkt.get());
        av_packet_unref(pkt.get());
        int64_t now = Now();
        if (now - lastReport > ReportInterval) {
            lastReport = now;
            ProgressReport(false, FJoinMode ? FJoinIndex : f);
        }
    }
}

int TCustomFFmpeg::ChooseInputFile(const std::vector<char>& ANoPacket) const
{
    if (FJoinMode)
        return FInputFiles[FJoinIndex].eof_reached ? kNothingToRead : FJoinIndex;
    double best = 1e100;
    int file = kNothingToRead;
    bool waiting = false;
    for (const TOutputStream& ost : FOutputStreams) {
        if (ost.is_past_recording_time || ost.source_index < 0)
            continue;
        int fi = FInputStreams[ost.source_index].file_index;
        if (ANoPacket[fi]) {
            waiting = true;
            continue;
        }
        const TOutputFile& of = FOutputFiles[ost.file_index];
        if (of.limit_filesize != INT64_MAX && of.ctx->pb && avio_tell(of.ctx->pb) >= of.limit_filesize)
            continue;
        if (FInputFiles[fi].eof_reached)
            continue;
        double t = FSettings.Finput_sync
            ? double(FInputStreams[ost.source_index].pts) / AV_TIME_BASE
            : OutputTime(ost);
        if (t < best) {
            best = t;
            file = fi;
        }
    }
    return file == kNothingToRead && waiting ? kTryAgain : file;
}

double TCustomFFmpeg::OutputTime(const TOutputStream& AOst) const
{
    if (AOst.encoding_needed)
        return double(AOst.sync_opts) / AOst.enc->sample_rate;
    if (AOst.mux_end == AV_NOPTS_VALUE)
        return 0;
    return AOst.mux_end * av_q2d(AOst.st->time_base);
}

int64_t TCustomFFmpeg::StreamEndTime(const TOutputStream& AOst) const
{
    if (!AOst.encoding_needed)
        return AOst.mux_end == AV_NOPTS_VALUE
            ? 0
            : av_rescale_q(AOst.mux_end, AOst.st->time_base, AV_TIME_BASE_Q);
    int64_t samples = AOst.sync_opts + av_audio_fifo_size(AOst.fifo.get());
    int64_t end = av_rescale(samples, AV_TIME_BASE, AOst.enc->sample_rate);
    return AOst.swr ? end + swr_get_delay(AOst.swr.get(), AV_TIME_BASE) : end;
}

void TCustomFFmpeg::ProcessPacket(int AFileIndex, AVPacket* APkt)
{
    TInputFile& ifile = FInputFiles[AFileIndex];
    if (APkt->stream_index >= ifile.nb_streams)
        return;
    TInputStream& ist = FInputStreams[ifile.ist_index + APkt->stream_index];
    if (ist.discard)
        return;
    AVStream* st = ist.st;
    int64_t offset = av_rescale_q(ifile.ts_offset, AV_TIME_BASE_Q, st->time_base);
    if (APkt->dts != AV_NOPTS_VALUE)
        APkt->dts += offset;
    if (APkt->pts != AV_NOPTS_VALUE)
        APkt->pts += offset;
    if (ist.ts_scale != 1.0) {
        if (APkt->dts != AV_NOPTS_VALUE)
            APkt->dts = llround(APkt->dts * ist.ts_scale);
        if (APkt->pts != AV_NOPTS_VALUE)
            APkt->pts = llround(APkt->pts * ist.ts_scale);
    }
    if (APkt->dts != AV_NOPTS_VALUE && ist.next_pts != AV_NOPTS_VALUE
        && (ifile.ctx->iformat->flags & AVFMT_TS_DISCONT) && !FSettings.Fcopy_ts) {
        int64_t pktTime = av_rescale_q(APkt->dts, st->time_base, AV_TIME_BASE_Q);
        int64_t delta = pktTime - ist.next_pts;
        auto threshold = static_cast<int64_t>(FSettings.Fdts_delta_threshold * AV_TIME_BASE);
        if (delta < -threshold
            || (delta > threshold && st->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
            || pktTime + 1 < ist.pts) {
            ifile.ts_offset -= delta;
            int64_t shift = av_rescale_q(delta, AV_TIME_BASE_Q, st->time_base);
            APkt->dts -= shift;
            if (APkt->pts != AV_NOPTS_VALUE)
                APkt->pts -= shift;
            GetLogger().Log(this, llDebug, FormatText("timestamp discontinuity %" PRId64 ", new offset= %" PRId64,
                                   delta, ifile.ts_offset));
        }
    }
    if (!ist.decoding_needed) {
        for (TOutputStream& ost : FOutputStreams)
            if (ost.stream_copy && ost.source_index == ifile.ist_index + APkt->stream_index)
                CopyPacket(ist, ost, APkt);
        return;
    }
    if (DecodePacket(ist, APkt) < 0) {
        std::string text = FormatText("Error while decoding stream #%d:%d (%s)", AFileIndex,
            st->index, av_get_media_type_string(st->codecpar->codec_type));
        GetLogger().Log(this, llError, text);
        if (FSettings.Fexit_on_error)
            Fatal(text);
        FLastDecodeError = text;
    }
}

int TCustomFFmpeg::DecodePacket(TInputStream& AIst, const AVPacket* APkt)
{
    int ret = avcodec_send_packet(AIst.dec.get(), APkt);
    if (ret < 0 && ret != AVERROR_EOF)
        return ret;
    for (int frames = 1;; ++frames) {
        ret = avcodec_receive_frame(AIst.dec.get(), FDecodedFrame.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return 0;
        if (ret < 0)
            return ret;
        if (APkt && frames == 2)
            WarnMultipleFrames(AIst);
        if (AIst.st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            HandleAudioFrame(AIst, FDecodedFrame.get());
        av_frame_unref(FDecodedFrame.get());
    }
}

void TCustomFFmpeg::WarnMultipleFrames(TInputStream& AIst)
{
    GetLogger().Log(this, AIst.showed_multi_packet_warning ? llVerbose : llWarning,
        FormatText("Multiple frames in a packet from stream %d", AIst.st->index));
    AIst.showed_multi_packet_warning = true;
}

// Reading at native speed: hold until the stream's position is no more than 1 ms ahead
// of the time since the run began. A stop ends the wait at once.
void TCustomFFmpeg::WaitRateEmulation(const TInputStream& AIst) const
{
    if (!FInputFiles[AIst.file_index].rate_emu)
        return;
    for (;;) {
        int64_t ahead = AIst.pts - (Now() - AIst.start);
        if (ahead <= 1000 || FBroken)
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(std::min<int64_t>(ahead, 10000)));
    }
}

void TCustomFFmpeg::HandleAudioFrame(TInputStream& AIst, AVFrame* AFrame)
{
    if (AFrame->nb_samples < 1 || AFrame->sample_rate < 1)
        Fatal(FormatText("the decoder \"%s\" return bad result.", AIst.avdec->name));
    int rate = AFrame->sample_rate;
    if (AFrame->best_effort_timestamp != AV_NOPTS_VALUE)
        AIst.pts = av_rescale_q(AFrame->best_effort_timestamp, AIst.st->time_base, AV_TIME_BASE_Q);
    else if (AIst.next_pts != AV_NOPTS_VALUE)
        AIst.pts = AIst.next_pts;
    AIst.next_pts = AIst.pts + int64_t(AV_TIME_BASE) * AFrame->nb_samples / rate;
    if (FOnAudioHook) {
        auto fmt = static_cast<AVSampleFormat>(AFrame->format);
        int size = AFrame->nb_samples * AFrame->ch_layout.nb_channels * av_get_bytes_per_sample(fmt);
        FOnAudioHook(this, AFrame->extended_data[0], fmt, AFrame->ch_layout.nb_channels, rate, size,
            AIst.pts);
    }

    if (FSettings.Faudio_volume != 256) {
        if (av_frame_make_writable(AFrame) < 0)
            Fatal("Out of memory in do_audio_out()");
        if (!ApplyVolume(AFrame, FSettings.Faudio_volume))
            Fatal(FormatText("Audio volume adjustment on sample format %s is not supported.",
                av_get_sample_fmt_name(static_cast<AVSampleFormat>(AFrame->format))));
    }

    // Samples before the asked start (a seek lands on or before it) are dropped.
    const TInputFile& ifile = FInputFiles[AIst.file_index];
    int first = ifile.start_time == INT64_MIN
        ? 0
        : SamplesBefore(ifile.start_time, AIst.pts, rate, AFrame->nb_samples);
    WaitRateEmulation(AIst);
    int istIndex = static_cast<int>(&AIst - FInputStreams.data());
    for (TOutputStream& ost : FOutputStreams) {
        if (ost.source_index != istIndex || !ost.encoding_needed || ost.is_past_recording_time)
            continue;
        const TOutputFile& of = FOutputFiles[ost.file_index];
        int from = of.start_time > 0
            ? std::max(first, SamplesBefore(of.start_time, AIst.pts, rate, AFrame->nb_samples))
            : first;
        int to = AFrame->nb_samples;
        if (of.recording_time != INT64_MAX) {
            int64_t end = of.recording_time + of.start_time;
            int64_t allowed = av_rescale(end - AIst.pts, rate, AV_TIME_BASE);
            if (allowed <= to) {
                ost.is_past_recording_time = true;
                to = static_cast<int>(std::max<int64_t>(allowed, 0));
            }
        }
        if (to > from)
            DoAudioOut(ost, AIst, AFrame, from, to - from);
    }
}

void TCustomFFmpeg::CopyPacket(TInputStream& AIst, TOutputStream& AOst, AVPacket* APkt)
{
    const TOutputFile& of = FOutputFiles[AOst.file_index];
    int64_t time = APkt->pts != AV_NOPTS_VALUE
        ? av_rescale_q(APkt->pts, AIst.st->time_base, AV_TIME_BASE_Q)
        : AIst.next_pts;
    if (time != AV_NOPTS_VALUE) {
        AIst.pts = time;
        WaitRateEmulation(AIst);
        if (of.recording_time != INT64_MAX && time >= of.recording_time + of.start_time) {
            AOst.is_past_recording_time = true;
            return;
        }
        if (time < of.start_time)
            return;
    }
    TPacketPtr copy(av_packet_clone(APkt));
    if (!copy)
        Fatal("Out of memory in do_audio_out()");
    int64_t shift = av_rescale_q(of.start_time, AV_TIME_BASE_Q, AIst.st->time_base);
    if (copy->pts != AV_NOPTS_VALUE)
        copy->pts -= shift;
    if (copy->dts != AV_NOPTS_VALUE)
        copy->dts -= shift;
    av_packet_rescale_ts(copy.get(), AIst.st->time_base, PacketTimeBase(AOst));
    WritePacket(AOst, copy.get());
}

void TCustomFFmpeg::FlushDecoders(int AFileIndex)
{
    for (TInputStream& ist : FInputStreams) {
        if (!ist.decoding_needed || ist.decoder_flushed
            || (AFileIndex >= 0 && ist.file_index != AFileIndex))
            continue;
        ist.decoder_flushed = true;
        DecodePacket(ist, nullptr);
    }
}

void TCustomFFmpeg::JoinSwitch()
{
    FlushDecoders(FJoinIndex);
    int64_t end = 0;
    for (const TOutputStream& ost : FOutputStreams)
        end = std::max(end, StreamEndTime(ost));
    ++FJoinIndex;
    FInputFiles[FJoinIndex].ts_offset += end;
    for (TOutputStream& ost : FOutputStreams)
        ost.source_index = ost.join_sources[FJoinIndex];
}
