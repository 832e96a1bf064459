#include "MediaCheck.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <cmath>

TDecodedAudio DecodeAudio(const std::filesystem::path& AFile, bool AKeepPcm)
{
    TDecodedAudio out;
    AVFormatContext* ic = nullptr;
    if (avformat_open_input(&ic, AFile.c_str(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(ic, nullptr);
    int si = av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (si < 0) {
        avformat_close_input(&ic);
        return out;
    }
    AVStream* st = ic->streams[si];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* dec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec, st->codecpar);
    dec->pkt_timebase = st->time_base;
    avcodec_open2(dec, codec, nullptr);
    out.codec = codec->name;
    out.sampleRate = dec->sample_rate;
    out.channels = dec->ch_layout.nb_channels;
    SwrContext* swr = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(dec, frame) >= 0) {
            out.samples += frame->nb_samples;
            out.packetSamples.push_back(frame->nb_samples);
            if (AKeepPcm) {
                if (!swr) {
                    swr_alloc_set_opts2(&swr, &frame->ch_layout, AV_SAMPLE_FMT_S16,
                        frame->sample_rate, &frame->ch_layout,
                        static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                        nullptr);
                    swr_init(swr);
                }
                size_t at = out.pcm.size();
                out.pcm.resize(at + size_t(frame->nb_samples) * out.channels);
                uint8_t* dst = reinterpret_cast<uint8_t*>(out.pcm.data() + at);
                swr_convert(swr, &dst, frame->nb_samples,
                    const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(ic, pkt) >= 0) {
        if (pkt->stream_index == si) {
            ++out.packets;
            avcodec_send_packet(dec, pkt);
            drain();
        }
        av_packet_unref(pkt);
    }
    avcodec_send_packet(dec, nullptr);
    drain();
    out.ok = true;
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&ic);
    return out;
}

double Rms(const std::vector<int16_t>& APcm)
{
    double sum = 0;
    for (int16_t s : APcm)
        sum += double(s) * s;
    return APcm.empty() ? 0 : std::sqrt(sum / double(APcm.size()));
}
