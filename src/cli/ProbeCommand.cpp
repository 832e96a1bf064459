// quaverly-cli probe FILE...: what the decoder finds in each file.

#include "cli/Commands.h"

#include "media/FFDecoder.h"

extern "C" {
#include <libavutil/avutil.h>
}

#include <cstdio>
#include <cstring>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli probe FILE...\n"
        "\n"
        "Prints for each file its format, duration, bit rate, tags and one line per\n"
        "stream. Exit status 0 when every file opened, 1 when one did not (its error\n"
        "goes to standard error and the other files are still probed), 2 for a usage\n"
        "error.\n");
}

std::string clockText(int64_t micros)
{
    const int64_t ms = micros / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
        static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
        static_cast<long long>(ms % 1000));
    return text;
}

std::string bitRateText(int64_t bitRate)
{
    return bitRate > 0 ? std::to_string(bitRate) + " b/s" : "unknown";
}

void printStream(TFFDecoder& decoder, int index)
{
    std::printf("  Stream #%d: ", index);
    if (decoder.IsAudioStream(index)) {
        const TAudioStreamInfo info = decoder.GetAudioStreamInfo(index);
        std::printf("audio, %s, %d Hz, %d channels, %s\n", info.CodecName.c_str(), info.SampleRate,
            info.Channels, bitRateText(info.BitRate).c_str());
    } else if (decoder.IsVideoStream(index)) {
        const TVideoStreamInfo info = decoder.GetVideoStreamInfo(index);
        std::printf("video, %s, %dx%d, %s\n", info.CodecName.c_str(), info.Width, info.Height,
            bitRateText(info.BitRate).c_str());
    } else if (decoder.IsSubtitleStream(index)) {
        std::printf("subtitle, %s\n", decoder.GetSubtitleStreamInfo(index).CodecName.c_str());
    } else {
        std::printf("other\n");
    }
}

bool probeFile(TFFDecoder& decoder, const std::string& file)
{
    if (!decoder.LoadFile(file)) {
        std::fprintf(stderr, "quaverly-cli: %s\n", decoder.LastErrMsg().c_str());
        return false;
    }
    const TFileStreamInfo info = decoder.FileStreamInfo();
    std::printf("File: %s\n", file.c_str());
    std::printf("  Format: %s (%s)\n", decoder.FormatName().c_str(), decoder.FormatLongName().c_str());
    if (info.Duration >= 0)
        std::printf("  Duration: %lld us (%s)\n", static_cast<long long>(info.Duration),
            clockText(info.Duration).c_str());
    else
        std::printf("  Duration: unknown\n");
    std::printf("  Bit rate: %s\n", bitRateText(info.BitRate).c_str());
    const TMetadataList tags = decoder.FileMetadata();
    if (!tags.empty()) {
        std::printf("  Tags:\n");
        for (const auto& [key, value] : tags)
            std::printf("    %s: %s\n", key.c_str(), value.c_str());
    }
    for (int i = 0; i < decoder.StreamCount(); ++i)
        printStream(decoder, i);
    decoder.CloseFile();
    return true;
}

}  // namespace

int runProbe(const CommandArgs& args)
{
    if (args.empty()) {
        printUsage(stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        printUsage(stdout);
        return 0;
    }
    TFFDecoder decoder;
    if (!decoder.LoadAVLib({})) {
        std::fprintf(stderr, "quaverly-cli: %s\n", decoder.LastErrMsg().c_str());
        return 1;
    }
    bool allOpened = true;
    for (const std::string& file : args)
        allOpened = probeFile(decoder, file) && allOpened;
    return allOpened ? 0 : 1;
}
