#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

using testsupport::runProgram;
using testsupport::TempDir;

namespace {

std::string cli()
{
    return (testsupport::programDir() / "quaverly-cli").string();
}

TEST(QuaverlyCliTest, UsageErrorsAndHelp)
{
    std::string out;
    EXPECT_EQ(runProgram({ cli() }, &out), 2);
    EXPECT_NE(out.find("Usage: quaverly-cli"), std::string::npos);
    EXPECT_EQ(runProgram({ cli(), "frobnicate" }, &out), 2);
    EXPECT_NE(out.find("unknown command frobnicate"), std::string::npos);
    EXPECT_EQ(runProgram({ cli(), "--loglevel", "loudest", "probe", "x" }, &out), 2);
    EXPECT_EQ(runProgram({ cli(), "probe" }, &out), 2);

    EXPECT_EQ(runProgram({ cli(), "--help" }, &out), 0);
    EXPECT_NE(out.find("probe "), std::string::npos);
    EXPECT_EQ(runProgram({ cli(), "probe", "--help" }, &out), 0);
    EXPECT_NE(out.find("Usage: quaverly-cli probe FILE..."), std::string::npos);
}

TEST(QuaverlyCliTest, ProbeDescribesEveryFileAndFailsForTheBadOnes)
{
    TempDir dir;
    const auto flac = dir / "tone one.flac";
    const auto wav = dir / "tone.wav";
    testsupport::makeTone(wav, 2.5, 48000, 1, { "-b", "16" });
    ASSERT_EQ(runProgram({ "flac", "-s", "-T", "ARTIST=Ünïcode Band", wav.string(), "-o", flac.string() }), 0);
    const auto empty = dir / "empty.flac";
    testsupport::writeFile(empty, "");
    const auto text = dir / "readme.mp3";
    testsupport::writeFile(text, "These are not the sounds you are looking for.\n");

    std::string out;
    EXPECT_EQ(runProgram({ cli(), "probe", flac.string(), empty.string(), wav.string(), text.string() }, &out), 1);
    for (const std::string& expected : std::vector<std::string> { "File: " + flac.string(), "  Format: flac (raw FLAC)",
             "  Duration: 2500000 us (00:00:02.500)", "    ARTIST: Ünïcode Band",
             "  Stream #0: audio, flac(FLAC (Free Lossless Audio Codec)), 48000 Hz, 1 channels, unknown",
             "quaverly-cli: " + empty.string() + ": could not find codec parameters",
             "quaverly-cli: " + text.string() + ": ", "File: " + wav.string(),
             "  Bit rate: 768", "  Stream #0: audio, pcm_s16le(PCM signed 16-bit little-endian), 48000 Hz, "
                                "1 channels, 768000 b/s" })
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;

    EXPECT_EQ(runProgram({ cli(), "--loglevel", "debug", "probe", wav.string() }, &out), 0);
    EXPECT_NE(out.find("[debug] "), std::string::npos);
}

// Microseconds from "Duration: 0:00:04.024608375" (discoverer) or "Duration: 4048980 us" (ours).
int64_t durationIn(const std::string& text, const std::regex& pattern, bool clock)
{
    std::smatch m;
    if (!std::regex_search(text, m, pattern))
        return -1;
    if (!clock)
        return std::stoll(m[1]);
    return (std::stoll(m[1]) * 3600 + std::stoll(m[2]) * 60) * 1000000 + std::llround(std::stod(m[3]) * 1e6);
}

TEST(QuaverlyCliTest, ProbeDurationsAgreeWithGStreamersDiscoverer)
{
    TempDir dir;
    const auto wav = dir / "song.wav";
    // Changing content, so that variable bit rates really vary.
    ASSERT_EQ(runProgram({ "sox", "-n", "-r", "44100", "-c", "2", "-b", "16", wav.string(), "synth", "2",
                  "sine", "200-4000", "synth", "2", "pinknoise", "mix", "vol", "0.4", ":", "synth", "2",
                  "whitenoise", "vol", "0.5" }),
        0);
    struct Case {
        std::string name;
        std::vector<std::string> extra;
    };
    const Case cases[] = {
        { "vbr-xing.mp3", { "-V", "2" } },
        { "vbr-no-xing.mp3", { "-V", "2", "-t" } },
        { "song.flac", {} },
        { "song.ogg", {} },
        { "song.opus", {} },
        { "song.m4a", {} },
        { "song.wma", {} },
        { "clip.mkv", {} },
    };
    const std::regex ours("Duration: (\\d+) us");
    const std::regex theirs("Duration: (\\d+):(\\d+):([\\d.]+)");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = dir / c.name;
        testsupport::encodeAudio(wav, file, c.extra);
        std::string probe, discoverer;
        ASSERT_EQ(runProgram({ cli(), "probe", file.string() }, &probe), 0) << probe;
        ASSERT_EQ(runProgram({ "gst-discoverer-1.0", file.string() }, &discoverer), 0) << discoverer;
        const int64_t expected = durationIn(discoverer, theirs, true);
        ASSERT_GT(expected, 0) << discoverer;
        EXPECT_NEAR(double(durationIn(probe, ours, false)), double(expected), 100000) << probe << discoverer;
    }
}

}  // namespace
