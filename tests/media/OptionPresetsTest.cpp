#include "media/FFmpegException.h"
#include "media/OptionParser.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string RaisedBy(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FFmpegException& e) {
        return e.what();
    }
    return {};
}

TEST(OptionPresets, AppliesKeyValueLinesAndSkipsComments)
{
    TOptionParser parser;
    parser.ParsePresets(
        "ab=1<CRLF># a comment<CRLF>ACodec = pcm_s16le\r\n\r\n  probesize=5000  \n");
    EXPECT_EQ(parser.Options().CodecOptions().Entries(), (Entries { { "ab", "1" } }));
    EXPECT_EQ(parser.Options().FormatOptions().Entries(), (Entries { { "probesize", "5000" } }));
    ASSERT_EQ(parser.Context().codec_names.size(), 1u);
    EXPECT_EQ(parser.Context().codec_names[0].specifier, "a");
    EXPECT_EQ(std::get<std::string>(parser.Context().codec_names[0].u), "pcm_s16le");
    EXPECT_EQ(parser.Settings().Faudio_codec_name, "pcm_s16le");
}

TEST(OptionPresets, BadLinesRaiseOnlyWhenHalting)
{
    struct Case {
        const char* text;
        const char* halting; // the text raised with HaltOnInvalidOption set
    };
    const Case cases[] = {
        { "ab=1<CRLF>novalue<CRLF>ar=8000", "Invalid syntax: \"novalue\"" },
        { "=8000", "Invalid syntax: \"=8000\"" },
        { "zz=1",
            "Unrecognized option \"zz\"\r\n"
            "Invalid option or argument: \"zz=1\", parsed as \"zz\" = \"1\"" },
    };
    for (const auto& c : cases) {
        TOptionParser halting;
        EXPECT_EQ(RaisedBy([&] { halting.ParsePresets(c.text); }), c.halting) << c.text;
        TOptionParser lenient;
        lenient.SetHaltOnInvalidOption(false);
        EXPECT_EQ(RaisedBy([&] { lenient.ParsePresets(c.text); }), "") << c.text;
    }
}

TEST(OptionPresets, PresetFilesApplyTheirLines)
{
    testsupport::TempDir dir;
    const std::string good = (dir / "good.ffpreset").string();
    testsupport::writeFile(good, "# quality\nab=96k\n\nacodec=mp2\n");
    const std::string broken = (dir / "broken.ffpreset").string();
    testsupport::writeFile(broken, "ab=96k\njunk\nar=1\n");
    const std::string unknown = (dir / "unknown.ffpreset").string();
    testsupport::writeFile(unknown, "zz=1\nprobesize=5000\n");

    TOptionParser parser;
    parser.ParseOptions("-apre " + good);
    EXPECT_EQ(parser.Options().CodecOptions().Entries(), (Entries { { "ab", "96k" } }));
    EXPECT_EQ(parser.Settings().Faudio_codec_name, "mp2");

    EXPECT_EQ(RaisedBy([&] { TOptionParser().ParseOptions("-fpre " + broken); }),
        broken + ": Invalid syntax: \"junk\"\r\nFailed to set value \"" + broken
            + "\" for option \"fpre\"");
    EXPECT_EQ(RaisedBy([&] { TOptionParser().ParseOptions("-vpre " + unknown); }),
        "Unrecognized option \"zz\"\r\n" + unknown
            + ": Invalid option or argument: \"zz=1\", parsed as \"zz\" = \"1\"\r\n"
              "Failed to set value \""
            + unknown + "\" for option \"vpre\"");

    TOptionParser lenient;
    lenient.SetHaltOnInvalidOption(false);
    lenient.ParseOptions("-spre " + unknown);
    EXPECT_EQ(lenient.Options().FormatOptions().Entries(), (Entries { { "probesize", "5000" } }));
}

} // namespace
