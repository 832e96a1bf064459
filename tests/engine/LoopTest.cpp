#include "JobRunner.h"
#include "MediaCheck.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

using testsupport::makeTone;
using testsupport::TempDir;

namespace {

TEST(LoopTest, ReadingAtNativeSpeedTakesTheInputsLength)
{
    TempDir dir;
    makeTone(dir / "in.wav", 2.0);
    const auto begin = std::chrono::steady_clock::now();
    auto r = RunJob({ { dir / "in.wav", Parsed("-re") } }, dir / "out.wav");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    ASSERT_TRUE(r.finished) << r.error;
    EXPECT_GE(took.count(), 1.9);
    EXPECT_NEAR(DecodeAudio(dir / "out.wav").seconds(), 2.0, 0.001);
}

TEST(LoopTest, InputSyncReadsBothInputsToTheirEnds)
{
    TempDir dir;
    makeTone(dir / "a.wav", 1.0, 44100, 2);
    makeTone(dir / "b.wav", 2.0, 22050, 1);
    auto r = RunJob({ { dir / "a.wav", {} }, { dir / "b.wav", {} } }, dir / "out.mka",
        Parsed("-isync -map 0:0 -map 1:0 -acodec flac"));
    ASSERT_TRUE(r.finished) << r.error;
    ASSERT_FALSE(r.progress.empty());
    EXPECT_NEAR(r.progress.back().CurrentDuration / 1e6, 2.0, 0.05);
    EXPECT_NEAR(DecodeAudio(dir / "out.mka").seconds(), 1.0, 0.01);
}

// IMA ADPCM in WAV: the demuxer reads several blocks at once, the decoder gives one
// frame per block.
TEST(LoopTest, SeveralFramesInOnePacketAreReportedOnceAsAWarning)
{
    TempDir dir;
    makeTone(dir / "in.wav", 2.0, 22050, 1, { "-e", "ima-adpcm" });
    TLogCapture log;
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.wav");
    ASSERT_TRUE(r.finished) << r.error;
    const char* text = "Multiple frames in a packet from stream 0";
    EXPECT_EQ(log.Count(text, llWarning), 1);
    EXPECT_GE(log.Count(text, llVerbose), 1);
    EXPECT_EQ(DecodeAudio(dir / "out.wav").samples, DecodeAudio(dir / "in.wav").samples);
}

} // namespace
