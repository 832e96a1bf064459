#pragma once
// What a media file decodes to, read back through the libraries independently of the
// engine's own code.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TDecodedAudio {
    bool ok = false;
    std::string codec;
    int sampleRate = 0;
    int channels = 0;
    int64_t samples = 0;  // per channel
    int packets = 0;
    std::vector<int> packetSamples;  // samples per decoded frame
    std::vector<int16_t> pcm;        // interleaved, when asked for
    double seconds() const { return sampleRate ? double(samples) / sampleRate : 0; }
};

// Decodes the first audio stream; with AKeepPcm the samples are kept as signed 16-bit.
TDecodedAudio DecodeAudio(const std::filesystem::path& AFile, bool AKeepPcm = false);

// Root mean square of interleaved 16-bit samples.
double Rms(const std::vector<int16_t>& APcm);
