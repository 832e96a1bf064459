// Handlers of options that rewrite themselves into others, set the library's log
// level, keep video-only values, or are refused.

#include "media/OptionParser.h"

#include "media/FFLogger.h"
#include "media/LastParseError.h"
#include "media/OptionValues.h"
#include "media/OptionsLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <array>
#include <ctime>
#include <utility>

namespace {

// The library levels by name, as the "loglevel" option takes them.
const std::array<std::pair<const char*, int>, 8> libraryLevels { {
    { "quiet", AV_LOG_QUIET },
    { "panic", AV_LOG_PANIC },
    { "fatal", AV_LOG_FATAL },
    { "error", AV_LOG_ERROR },
    { "warning", AV_LOG_WARNING },
    { "info", AV_LOG_INFO },
    { "verbose", AV_LOG_VERBOSE },
    { "debug", AV_LOG_DEBUG },
} };

} // namespace

int TOptionParser::opt_codec_kind(const std::string& opt, const std::string& arg)
{
    const char kind = opt[0];
    std::string* remembered = kind == 'a' ? &FSettings.Faudio_codec_name
        : kind == 'v'                     ? &FSettings.Fvideo_codec_name
        : kind == 's'                     ? &FSettings.Fsubtitle_codec_name
                                          : &FSettings.Fdata_codec_name;
    *remembered = arg;
    return ApplyOption(std::string("codec:") + kind, &arg);
}

int TOptionParser::opt_frames_kind(const std::string& opt, const std::string& arg)
{
    return ApplyOption(std::string("frames:") + opt[0], &arg);
}

int TOptionParser::opt_audio_qscale(const std::string&, const std::string& arg)
{
    return ApplyOption("q:a", &arg);
}

// atag -> tag:a, vbsf -> bsf:v and kin.
int TOptionParser::opt_kind_suffix(const std::string& opt, const std::string& arg)
{
    const std::string base = opt.substr(0, opt.find(':'));
    return ApplyOption(base.substr(1) + ":" + base[0], &arg);
}

int TOptionParser::opt_video_filters(const std::string&, const std::string& arg)
{
    return ApplyOption("filter:v", &arg);
}

int TOptionParser::opt_bitrate(const std::string& opt, const std::string& arg)
{
    if (opt == "b") {
        LogToLibrary(AV_LOG_WARNING, "Please use -b:a or -b:v, -b is ambiguous");
        return ApplyOption("b:v", &arg);
    }
    return FOptions.opt_default(opt, arg);
}

int TOptionParser::opt_deprecated_alias(const std::string& opt, const std::string& arg)
{
    const char* replacement = opt.starts_with("vc") ? "channel" : "standard";
    LogToLibrary(
        AV_LOG_WARNING, std::string("This option is deprecated, use -") + replacement + ".");
    return FOptions.opt_default(replacement, arg);
}

int TOptionParser::opt_debug(const std::string&, const std::string& arg)
{
    SetLibraryLogLevel(AV_LOG_DEBUG);
    return FOptions.opt_default("debug", arg);
}

int TOptionParser::opt_loglevel(const std::string&, const std::string& arg)
{
    for (const auto& [name, level] : libraryLevels) {
        if (arg == name) {
            SetLibraryLogLevel(level);
            return 0;
        }
    }
    int level = 0;
    if (ParseWhole(arg, level)) {
        SetLibraryLogLevel(level);
        return 0;
    }
    std::string message = "Invalid loglevel \"" + arg + "\". Possible levels are numbers or:\r\n";
    for (const auto& entry : libraryLevels)
        message += std::string("\"") + entry.first + "\"\r\n";
    GetLogger().Log(FSender, llError, message);
    LastParseError() = message;
    return -22;
}

int TOptionParser::opt_pass(const std::string& opt, const std::string& arg)
{
    int pass = 0;
    if (!ParseWhole(arg, pass) || pass < 1 || pass > 3)
        return Refuse(
            "The value for \"" + opt + "\" was \"" + arg + "\" which is not within 1 - 3");
    FSettings.Fdo_pass = pass;
    return 0;
}

int TOptionParser::opt_passlogfile(const std::string&, const std::string& arg)
{
    FSettings.Fpass_logfilename_prefix = arg;
    return 0;
}

int TOptionParser::opt_vstats(const std::string&, const std::string&)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char name[40];
    std::strftime(name, sizeof name, "vstats_%H%M%S.log", &local);
    FSettings.Fvstats_filename = name;
    return 0;
}

int TOptionParser::opt_vstats_file(const std::string&, const std::string& arg)
{
    FSettings.Fvstats_filename = arg;
    return 0;
}

int TOptionParser::opt_video_hook(const std::string&, const std::string& arg)
{
    FSettings.Fvideo_hooks.push_back(arg);
    return 0;
}

int TOptionParser::opt_video_hook_bpp(const std::string& opt, const std::string& arg)
{
    int bits = 0;
    if (!ParseWhole(arg, bits) || bits <= 0)
        return Refuse("Expected integer for " + opt + " but found " + arg);
    FSettings.FVideoHookBitsPixel = bits;
    return 0;
}

int TOptionParser::opt_default(const std::string& opt, const std::string& arg)
{
    return FOptions.opt_default(opt, arg);
}

int TOptionParser::opt_not_supported(const std::string& opt, const std::string&)
{
    return Refuse("options \"" + opt + "\" not supported");
}

int TOptionParser::opt_crop_removed(const std::string& opt, const std::string&)
{
    return Refuse("Option \"" + opt + "\" has been removed, use the crop filter instead");
}

int TOptionParser::opt_pad_removed(const std::string& opt, const std::string&)
{
    return Refuse("Option \"" + opt + "\" has been removed, use the pad filter instead");
}

int TOptionParser::opt_ignored(const std::string& opt, const std::string&)
{
    LogToLibrary(AV_LOG_WARNING, "options \"" + opt + "\" not supported, ignore");
    return 0;
}

int TOptionParser::opt_hook_word(const std::string&, const std::string&)
{
    return 0;
}
