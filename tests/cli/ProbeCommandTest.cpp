#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

    std::string out;
    EXPECT_EQ(runProgram({ cli(), "probe", flac.string(), empty.string(), wav.string() }, &out), 1);
    for (const std::string& expected : std::vector<std::string> { "File: " + flac.string(), "  Format: flac (raw FLAC)",
             "  Duration: 2500000 us (00:00:02.500)", "    ARTIST: Ünïcode Band",
             "  Stream #0: audio, flac(FLAC (Free Lossless Audio Codec)), 48000 Hz, 1 channels, unknown",
             "quaverly-cli: " + empty.string() + ": ", "File: " + wav.string(),
             "  Bit rate: 768", "  Stream #0: audio, pcm_s16le(PCM signed 16-bit little-endian), 48000 Hz, "
                                "1 channels, 768000 b/s" })
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;

    EXPECT_EQ(runProgram({ cli(), "--loglevel", "debug", "probe", wav.string() }, &out), 0);
    EXPECT_NE(out.find("[debug] "), std::string::npos);
}

}  // namespace
