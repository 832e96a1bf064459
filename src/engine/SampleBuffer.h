#pragma once
// A block of audio samples in one format, grown on demand and never shrunk, so that
// steady-state conversion does not allocate.

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <cstdint>

class TSampleBuffer {
public:
    TSampleBuffer() = default;
    ~TSampleBuffer();
    TSampleBuffer(const TSampleBuffer&) = delete;
    TSampleBuffer& operator=(const TSampleBuffer&) = delete;

    // Makes room for ASamples samples; returns false when memory runs out.
    bool Reserve(AVSampleFormat AFormat, int AChannels, int ASamples);
    uint8_t** Data() { return FData; }
    int Capacity() const { return FSamples; }

private:
    void Free();

    uint8_t** FData = nullptr;
    AVSampleFormat FFormat = AV_SAMPLE_FMT_NONE;
    int FChannels = 0;
    int FSamples = 0;
};
