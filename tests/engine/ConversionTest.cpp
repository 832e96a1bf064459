#include "JobRunner.h"
#include "MediaCheck.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::TempDir;

namespace {

struct TTarget {
    const char* name;
    const char* codec;
};

class ConversionTest : public ::testing::TestWithParam<TTarget> { };

TEST_P(ConversionTest, WavConvertsToTheSourceLength)
{
    TempDir dir;
    auto in = dir / "in.wav";
    testsupport::makeTone(in, 3.0);
    auto out = dir / (std::string("out.") + GetParam().name);
    auto r = RunJob({ { in, {} } }, out, [&](TCustomFFmpeg& job) {
        if (*GetParam().codec)
            SetCodec(job, GetParam().codec);
    });
    ASSERT_TRUE(r.finished) << r.error;
    TDecodedAudio a = DecodeAudio(out);
    ASSERT_TRUE(a.ok);
    EXPECT_NEAR(a.seconds(), 3.0, 0.1) << GetParam().name;
    EXPECT_EQ(a.channels, 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, ConversionTest,
    ::testing::Values(TTarget { "mp3", "libmp3lame" }, TTarget { "flac", "" },
        TTarget { "ogg", "libvorbis" }, TTarget { "opus", "libopus" }, TTarget { "m4a", "aac" },
        TTarget { "wav", "" }),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
