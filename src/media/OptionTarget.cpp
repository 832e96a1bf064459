// -target: the settings of a video disc or DV format in one word, such as "pal-dvd".

#include "media/OptionParser.h"

#include "media/OptionsLog.h"

#include <utility>
#include <vector>

namespace {

enum TNorm { nmPal, nmNtsc, nmFilm, nmUnknown };

const char* const frameRates[] = { "25", "30000/1001", "24000/1001" };

// The norm from the frame rate of the first video stream of the inputs that has one.
TNorm GuessNorm(const std::function<const AVFormatContext*(int)>& inputs)
{
    for (int file = 0; inputs && inputs(file); ++file) {
        const AVFormatContext* input = inputs(file);
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream* stream = input->streams[i];
            if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || !stream->r_frame_rate.den)
                continue;
            const int64_t milliHertz
                = int64_t(stream->r_frame_rate.num) * 1000 / stream->r_frame_rate.den;
            if (milliHertz == 25000)
                return nmPal;
            if (milliHertz == 29970 || milliHertz == 23976)
                return nmNtsc;
        }
    }
    return nmUnknown;
}

using TSettings = std::vector<std::pair<std::string, std::string>>;

TSettings TargetSettings(const std::string& target, TNorm norm)
{
    const bool pal = norm == nmPal;
    const std::string rate = frameRates[norm];
    if (target == "vcd")
        return { { "vcodec", "mpeg1video" }, { "acodec", "mp2" }, { "f", "vcd" },
            { "s", pal ? "352x288" : "352x240" }, { "r", rate }, { "g", pal ? "15" : "18" },
            { "b:v", "1150000" }, { "maxrate", "1150000" }, { "minrate", "1150000" },
            { "bufsize", "327680" }, { "b:a", "224000" }, { "ar", "44100" }, { "ac", "2" },
            { "packetsize", "2324" }, { "muxrate", "1411200" },
            // the system clock reference starts 0.44 s before the first time stamp
            { "muxpreload", "0.44" } };
    if (target == "svcd")
        return { { "vcodec", "mpeg2video" }, { "acodec", "mp2" }, { "f", "svcd" },
            { "s", pal ? "480x576" : "480x480" }, { "r", rate }, { "pix_fmt", "yuv420p" },
            { "g", pal ? "15" : "18" }, { "b:v", "2040000" }, { "maxrate", "2516000" },
            { "minrate", "0" }, { "bufsize", "1835008" }, { "scan_offset", "1" },
            { "b:a", "224000" }, { "ar", "44100" }, { "packetsize", "2324" } };
    if (target == "dvd")
        return { { "vcodec", "mpeg2video" }, { "acodec", "ac3" }, { "f", "dvd" },
            { "s", pal ? "720x576" : "720x480" }, { "r", rate }, { "pix_fmt", "yuv420p" },
            { "g", pal ? "15" : "18" }, { "b:v", "6000000" }, { "maxrate", "9000000" },
            { "minrate", "0" }, { "bufsize", "1835008" }, { "packetsize", "2048" },
            { "muxrate", "10080000" }, { "b:a", "448000" }, { "ar", "48000" } };
    if (target.starts_with("dv"))
        return { { "f", "dv" }, { "s", pal ? "720x576" : "720x480" },
            { "pix_fmt",
                target.starts_with("dv50") ? "yuv422p"
                    : pal                  ? "yuv420p"
                                           : "yuv411p" },
            { "r", rate }, { "ar", "48000" }, { "ac", "2" } };
    return {};
}

} // namespace

int TOptionParser::opt_target(const std::string&, const std::string& arg)
{
    TNorm norm = nmUnknown;
    std::string target = arg;
    for (const auto& [prefix, value] : { std::pair { "pal-", nmPal }, std::pair { "ntsc-", nmNtsc },
             std::pair { "film-", nmFilm } })
        if (arg.starts_with(prefix)) {
            norm = value;
            target = arg.substr(std::string_view(prefix).size());
        }
    if (norm == nmUnknown) {
        norm = GuessNorm(FInputFiles);
        if (norm != nmUnknown)
            LogToLibrary(AV_LOG_INFO,
                std::string("Assuming ") + (norm == nmPal ? "PAL" : "NTSC") + " for target.");
    }
    if (norm == nmUnknown)
        return Refuse("Could not determine norm (PAL/NTSC/NTSC-Film) for target.\r\n"
                      "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\r\n"
                      "or set a framerate with \"-r xxx\".");
    const TSettings settings = TargetSettings(target, norm);
    if (settings.empty())
        return Refuse("Unknown target: " + target);
    for (const auto& [name, value] : settings)
        if (int result = ApplyOption(name, &value); result < 0)
            return result;
    return 0;
}
