#pragma once
// A decoder that also turns a file's audio into PCM of one chosen format (by default
// signed 16-bit stereo at 44100 Hz), read in byte counts, and seeks.

#include "media/CustomDecoder.h"
#include "media/LibAVPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <vector>

class TFFDecoder : public TCustomDecoder {
public:
    TFFDecoder();
    ~TFFDecoder() override;

    void CloseFile() override;

    // Decodes the next packet of the audio stream (-1: the one in use, else the first)
    // into WaveInfo. False at the end of input or on failure (see LastErrMsg).
    bool DecodeAudio(int AStreamIndex = -1);
    // Copies up to ACount bytes of the current chunk and consumes them; without a
    // buffer only tells how many bytes the next read can give. Never joins two
    // chunks. -1 at the end of input or on failure.
    int ReadAudio(uint8_t* ABuffer, int ACount, int AStreamIndex = -1);
    bool Seek(int64_t APTS, TSeekFlags ASeekFlags = 0);
    int64_t Position();

    const TWaveInfo& WaveInfo() const { return FWaveInfo; }
    int DesireAudioChannels() const { return FDesireAudioChannels; }
    int DesireAudioSampleRate() const { return FDesireAudioSampleRate; }
    AVSampleFormat DesireAudioSampleFormat() const { return FDesireAudioSampleFormat; }
    void SetDesireAudioChannels(int AValue);
    void SetDesireAudioSampleRate(int AValue);
    void SetDesireAudioSampleFormat(AVSampleFormat AValue);

private:
    enum class TReadResult { Packet, Flush, Stop };

    bool SelectAudioStream(int AStreamIndex);
    bool OpenAudioCodec();
    TReadResult ReadPacket(AVPacket* APacket);
    bool GatherAudio(const AVPacket* APacket);
    std::string DecodeErrorText(int ACode) const;
    bool AppendFrame(const AVFrame* AFrame);
    bool NoteSourceFormat(const AVFrame* AFrame);
    bool CreateResampler(const AVFrame* AFrame);
    bool ConvertInto(const uint8_t** AInput, int ASamples);
    void AppendInterleaved(const AVFrame* AFrame);
    uint8_t* ReserveOutput(int64_t ABytes);
    void FillWaveInfo(const AVPacket* APacket);
    void ResetAudioState();
    void FreeResampler();

    int FSeekIndex = -1;
    bool FEOF = false;     // input exhausted and the decoder drained
    bool FEOFpkt = false;  // end of input met, the decoder has been told to drain
    int64_t FLastPTS = AV_NOPTS_VALUE;
    TWaveInfo FWaveInfo;
    int FDesireAudioChannels = 2;
    int FDesireAudioSampleRate = 44100;
    AVSampleFormat FDesireAudioSampleFormat = AV_SAMPLE_FMT_S16;
    int FDesireAudioIndex = -1;
    CodecContextPtr FAudioCodec;
    int FAudioCodecStream = -1;
    FramePtr FAudioDecodedFrame;
    PacketPtr FPacket;
    // The current chunk in the desired format; grows and is kept for the decoder's life.
    std::vector<uint8_t> FAudioBuffer;
    int FAudioSize = 0;
    int FResampleChannels = -1;
    int FResampleSampleRate = -1;
    AVSampleFormat FResampleSampleFormat = AV_SAMPLE_FMT_NONE;
    SwrContextPtr FAudioSwrCtx;
    int FRemainsAudioSize = 0;
};
