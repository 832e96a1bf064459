#include "media/OptionParser.h"
#include "media/FFLogger.h"
#include "media/FFmpegException.h"
#include "media/LastParseError.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <functional>
#include <mutex>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The message of the exception ParseOptions raises, or "" when it raises none.
std::string ParseError(TOptionParser& parser, const std::string& options)
{
    try {
        parser.ParseOptions(options);
    } catch (const FFmpegException& e) {
        return e.what();
    }
    return {};
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find("\r\n"));
}

// Lines the media library's log receives while it lives.
class LibraryLogCapture {
public:
    LibraryLogCapture()
    {
        lines().clear();
        av_log_set_callback(&Collect);
    }
    ~LibraryLogCapture() { av_log_set_callback(av_log_default_callback); }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> collected;
        return collected;
    }

private:
    static void Collect(void*, int level, const char* format, va_list args)
    {
        if (level > AV_LOG_WARNING)
            return;
        char text[1024];
        vsnprintf(text, sizeof text, format, args);
        std::string line(text);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        lines().push_back(line);
    }
};

TEST(OptionParser, StoresTheApplicationsOutputOptions)
{
    // The job's own option state, filled by a parser working on it.
    TOptionState job;
    TOptionParser parser(job.Context, job.Settings, job.Options, &job);
    parser.ParseOptions(" -c:a libmp3lame -b:a 128k -ar 44100 -ac 2 -vol 300");
    const TOptionsContext& o = job.Context;
    ASSERT_EQ(o.codec_names.size(), 1u);
    EXPECT_EQ(o.codec_names[0].specifier, "a");
    EXPECT_EQ(std::get<std::string>(o.codec_names[0].u), "libmp3lame");
    ASSERT_EQ(o.audio_sample_rate.size(), 1u);
    EXPECT_EQ(o.audio_sample_rate[0].specifier, "");
    EXPECT_EQ(std::get<int>(o.audio_sample_rate[0].u), 44100);
    ASSERT_EQ(o.audio_channels.size(), 1u);
    EXPECT_EQ(std::get<int>(o.audio_channels[0].u), 2);
    EXPECT_EQ(job.Options.CodecOptions().Entries(), (Entries { { "b:a", "128k" } }));
    EXPECT_EQ(job.Settings.Faudio_volume, 300);
}

TEST(OptionParser, StoresValuesByKind)
{
    struct Case {
        const char* options;
        std::function<bool(TOptionParser&)> check;
    };
    const Case cases[] = {
        { "-ss 1.5", [](auto& p) { return p.Context().start_time == 1500000; } },
        { "-ss 00:00:01.500", [](auto& p) { return p.Context().start_time == 1500000; } },
        { "-ss_microsecond 1500000", [](auto& p) { return p.Context().start_time == 1500000; } },
        { "-t 1:02:03.25", [](auto& p) { return p.Context().recording_time == 3723250000; } },
        { "-t 5 -t_microsecond 7", [](auto& p) { return p.Context().recording_time == 7; } },
        { "-itsoffset -2", [](auto& p) { return p.Context().input_ts_offset == -2000000; } },
        { "-shortest -noshortest", [](auto& p) { return p.Settings().Fopt_shortest == 0; } },
        { "-shortest", [](auto& p) { return p.Settings().Fopt_shortest == 1; } },
        { "-an -vn -sn -dn",
            [](auto& p) {
                const auto& o = p.Context();
                return o.audio_disable && o.video_disable && o.subtitle_disable && o.data_disable;
            } },
        { "-metadata \"title=A B\"",
            [](auto& p) {
                return std::get<std::string>(p.Context().metadata.at(0).u) == "title=A B";
            } },
        { "-fs 1000000", [](auto& p) { return p.Context().limit_filesize == 1000000; } },
        { "-rmvol 0.5",
            [](auto& p) { return std::get<float>(p.Context().rematrix_volume.at(0).u) == 0.5f; } },
        { "-itsscale:a 2.5",
            [](auto& p) {
                const auto& scale = p.Context().ts_scale.at(0);
                return scale.specifier == "a" && std::get<double>(scale.u) == 2.5;
            } },
        { "-muxdelay 0.25", [](auto& p) { return p.Context().mux_max_delay == 0.25f; } },
        { "-adrift_threshold 0.5",
            [](auto& p) { return p.Settings().Faudio_drift_threshold == 0.5f; } },
        { "-async +1", [](auto& p) { return p.Settings().Faudio_sync_method == 1; } },
        { "-acodec pcm_s16le",
            [](auto& p) {
                const auto& name = p.Context().codec_names.at(0);
                return name.specifier == "a" && std::get<std::string>(name.u) == "pcm_s16le"
                    && p.Settings().Faudio_codec_name == "pcm_s16le";
            } },
        { "-aframes 10",
            [](auto& p) {
                const auto& frames = p.Context().max_frames.at(0);
                return frames.specifier == "a" && std::get<int64_t>(frames.u) == 10;
            } },
        { "-aq 4", [](auto& p) { return p.Context().qscale.at(0).specifier == "a"; } },
        { "-vbsf h264_mp4toannexb",
            [](auto& p) { return p.Context().bitstream_filters.at(0).specifier == "v"; } },
        { "-atag mp4a", [](auto& p) { return p.Context().codec_tags.at(0).specifier == "a"; } },
        { "-vf scale=320:240", [](auto& p) { return p.Context().filters.at(0).specifier == "v"; } },
        { "-b 1M", [](auto& p) { return p.Options().CodecOptions().Get("b:v") != nullptr; } },
        { "-ab 64k", [](auto& p) { return p.Options().CodecOptions().Get("ab") != nullptr; } },
        { "-flags +bitexact -flags +global_header",
            [](auto& p) {
                return std::string(p.Options().CodecOptions().Get("flags"))
                    == "+bitexact+global_header";
            } },
        { "-timestamp 2012-01-01T10:00:00",
            [](auto& p) {
                return std::get<std::string>(p.Context().metadata.at(0).u)
                    == "creation_time=2012-01-01T10:00:00+0000";
            } },
        { "-attach cover.jpg",
            [](auto& p) { return p.Context().attachments.at(0) == "cover.jpg"; } },
        { "-streamid 2:33",
            [](auto& p) {
                return p.Context().streamid_map == std::vector<int> { 0, 0, 33 };
            } },
        { "-map_metadata:s:1 0:g",
            [](auto& p) {
                const auto& maps = p.Context().meta_data_maps.at(0);
                return maps[0].type == 's' && maps[0].index == 1 && maps[1].type == 'g'
                    && p.Context().metadata_global_manual && p.Context().metadata_streams_manual;
            } },
        { "-map_channel -1",
            [](auto& p) { return p.Context().audio_channel_maps.at(0).channel_idx == -1; } },
        { "-pass 2 -passlogfile log",
            [](auto& p) {
                return p.Settings().Fdo_pass == 2 && p.Settings().Fpass_logfilename_prefix == "log";
            } },
        { "-target pal-dv",
            [](auto& p) {
                return p.Context().format == "dv"
                    && p.Context().frame_sizes.at(0).specifier.empty();
            } },
        { "-version -AudioHook -Join -h", [](auto&) { return true; } },
    };
    for (const auto& c : cases) {
        TOptionParser parser;
        EXPECT_EQ(ParseError(parser, c.options), "") << c.options;
        EXPECT_TRUE(c.check(parser)) << c.options;
    }
}

TEST(OptionParser, ReportsEachFailureWithItsText)
{
    const std::pair<const char*, const char*> cases[] = {
        { "-ac", "Missing argument for option \"ac\"" },
        { "-foo 1", "Unrecognized option \"foo\"" },
        { "-t abc", "Invalid duration specification for t: abc" },
        { "-ac x", "Expected integer for ac but found x" },
        { "-ar:a 4.5", "Expected integer for ar:a but found 4.5" },
        { "-fs 1.5", "Expected int64 for fs but found 1.5" },
        { "-rmvol loud", "Expected float for rmvol but found loud" },
        { "-itsscale x", "Expected double for itsscale but found x" },
        { "-novol", "Unrecognized option \"novol\"" },
        { "-ac 2 -", "Failed to parse options on -" },
        { "-ac 2 \"\"", "Failed to parse options" },
        { "input.wav", "Failed to parse options on input.wav" },
        { "-i in.wav", "options \"i\" not supported" },
        { "-benchmark", "options \"benchmark\" not supported" },
        { "-croptop 10", "Option \"croptop\" has been removed, use the crop filter instead" },
        { "-padcolor red", "Option \"padcolor\" has been removed, use the pad filter instead" },
        { "-loglevel loud", "Invalid loglevel \"loud\". Possible levels are numbers or:" },
        { "-streamid 3",
            "Invalid value \"3\" for option \"streamid\", required syntax is \"index:value\"" },
        { "-streamid 5000:1",
            "The value for \"streamid\" was \"5000\" which is not within 0 - 1023" },
        { "-pass 4", "The value for \"pass\" was \"4\" which is not within 1 - 3" },
        { "-map 0", "Invalid input file index: 0." },
        { "-map_channel 0.1",
            "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]" },
        { "-map_channel 0.0.0", "mapchan: invalid input file index: 0" },
        { "-map_metadata 0:q", "Invalid metadata type q." },
        { "-apre /no/such/file.ffpreset", "Preset file \"/no/such/file.ffpreset\" not found" },
        { "-target vcd", "Could not determine norm (PAL/NTSC/NTSC-Film) for target." },
        { "-target pal-laserdisc", "Unknown target: laserdisc" },
        { "-sws_flags nonsense", "Error setting option \"sws_flags\"" },
    };
    for (const auto& [options, expected] : cases) {
        TOptionParser parser;
        EXPECT_EQ(FirstLine(ParseError(parser, options)), expected) << options;
    }
}

TEST(OptionParser, HandlerFailureNamesTheValue)
{
    TOptionParser parser;
    EXPECT_EQ(ParseError(parser, "-i song.wav"),
        "options \"i\" not supported\r\nFailed to set value \"song.wav\" for option \"i\"");
}

TEST(OptionParser, LenientParsingSkipsBadWordsButNotBadValues)
{
    TOptionParser parser;
    parser.SetHaltOnInvalidOption(false);
    EXPECT_EQ(ParseError(parser, "-foo 1 stray -i x -novol -ar 22050 -croptop 4 -ac"), "");
    EXPECT_EQ(std::get<int>(parser.Context().audio_sample_rate.at(0).u), 22050);

    EXPECT_EQ(ParseError(parser, "-t abc"), "Invalid duration specification for t: abc");
    EXPECT_EQ(ParseError(parser, "-ac x"), "Expected integer for ac but found x");
}

TEST(OptionParser, AppliesTheLogLevelBeforeAnythingElse)
{
    const int saved = av_log_get_level();
    TOptionParser parser;
    EXPECT_EQ(ParseError(parser, "-ac x -loglevel warning"), "Expected integer for ac but found x");
    EXPECT_EQ(av_log_get_level(), AV_LOG_WARNING);
    // A word that is the value of another option is not the log level option.
    EXPECT_EQ(ParseError(parser, "-metadata -v -v 16"), "");
    EXPECT_EQ(av_log_get_level(), AV_LOG_ERROR);
    av_log_set_level(saved);
}

TEST(OptionParser, WarnsThroughTheLibraryLog)
{
    LibraryLogCapture capture;
    TOptionParser parser;
    parser.ParseOptions("-version -b 1M -timestamp now");
    const std::vector<std::string> expected {
        "options \"version\" not supported, ignore",
        "Please use -b:a or -b:v, -b is ambiguous",
        "timestamp is deprecated, set the \"creation_time\" metadata tag instead.",
    };
    EXPECT_EQ(capture.lines(), expected);
}

struct Line {
    const void* sender;
    TLogLevel level;
    std::string text;
    bool operator==(const Line&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Line& line)
    {
        return out << line.sender << " " << line.level << " " << line.text;
    }
};

TEST(OptionParser, LogsWhatItParsesAndWhyItFailedForTheJob)
{
    std::vector<Line> lines;
    TFFLogger logger;
    logger.SetTriggerEventInMainThread(false);
    logger.SetLogLevel(llDebug);
    logger.SetOnLog([&](const void* sender, uint32_t, TLogLevel level, const std::string& text) {
        lines.push_back({ sender, level, text });
    });
    int job = 0;
    TOptionParser parser(&job);
    EXPECT_EQ(ParseError(parser, "-ac x"), "Expected integer for ac but found x");
    parser.SetHaltOnInvalidOption(false);
    parser.ParsePresets("no_such_key");
    parser.SetHaltOnInvalidOption(true);
    EXPECT_EQ(ParseError(parser, "-map_channel"), "Missing argument for option \"map_channel\"");
    const std::vector<Line> expected {
        { &job, llInfo, "ParseOptions: -ac x" },
        { &job, llFatal, "Expected integer for ac but found x" },
        { &job, llInfo, "ParsePresets: no_such_key" },
        { &job, llError, "Invalid syntax: \"no_such_key\"" },
        { &job, llError,
            "Invalid option or argument: \"no_such_key\", parsed as \"no_such_key\" = \"\"" },
        { &job, llInfo, "ParseOptions: -map_channel" },
        { &job, llFatal, "Missing argument for option \"map_channel\"" },
    };
    EXPECT_EQ(lines, expected);
}

TEST(OptionParser, ResetKeepsAnInputsDurationForTheOutput)
{
    TOptionParser parser;
    parser.ParseOptions("-ss_microsecond 1500000 -t_microsecond 30000000 -f wav -ab 1");
    parser.ResetContext(true);
    EXPECT_EQ(parser.Context().start_time, 0);
    EXPECT_EQ(parser.Context().recording_time, 30000000);
    EXPECT_EQ(parser.Context().format, "");
    EXPECT_EQ(parser.Options().CodecOptions().Count(), 0);

    parser.ParseOptions("-muxdelay 2 -an");
    parser.ResetContext(false);
    EXPECT_EQ(parser.Context().recording_time, INT64_MAX);
    EXPECT_EQ(parser.Context().limit_filesize, INT64_MAX);
    EXPECT_EQ(parser.Context().chapters_input_file, INT_MAX);
    EXPECT_FLOAT_EQ(parser.Context().mux_max_delay, 0.7f);
    EXPECT_EQ(parser.Context().audio_disable, 0);
}

// Every stored option accepts a plain value into a field of the right type.
TEST(OptionParser, EveryTableEntryStoresIntoItsTarget)
{
    for (const TOptionDef& def : TOptionParser::Table()) {
        if (std::holds_alternative<TOptionHandler>(def.target))
            continue;
        TOptionParser parser;
        const std::string value = "1";
        EXPECT_EQ(parser.ApplyOption(def.name, &value), (def.flags & ofHasArg) ? 1 : 0) << def.name;
    }
}

} // namespace
