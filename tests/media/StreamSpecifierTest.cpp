#include "media/StreamSpecifier.h"
#include "media/FFmpegException.h"
#include "media/OptionsContext.h"

#include "AvFixture.h"

#include <gtest/gtest.h>

namespace {

using StreamSpecifierTest = AvFixtureSuite;

TEST_F(StreamSpecifierTest, MatchesStreamsByIndexTypeAndProgram)
{
    const AvFixture& f = *input;
    const int video = f.indexOf(AVMEDIA_TYPE_VIDEO);
    const int audio0 = f.indexOf(AVMEDIA_TYPE_AUDIO, 0);
    const int audio1 = f.indexOf(AVMEDIA_TYPE_AUDIO, 1);
    ASSERT_GE(video, 0);
    ASSERT_GE(audio1, 0);
    struct Case {
        std::string spec;
        int stream;
        int expected;
    };
    const Case cases[] = {
        { "", video, 1 },
        { "", audio1, 1 },
        { std::to_string(audio1), audio1, 1 },
        { std::to_string(audio1), audio0, 0 },
        { "a", audio0, 1 },
        { "a", audio1, 1 },
        { "a", video, 0 },
        { "v", video, 1 },
        { "a:1", audio1, 1 },
        { "a:1", audio0, 0 },
        { "a:0", audio0, 1 },
        { "a:2", audio0, 0 },
        { "v:0", video, 1 },
        { "s", audio0, 0 },
        { "d", video, 0 },
        { "t", video, 0 },
        { "p:1", audio0, 0 },
        { "p:1:0", video, 0 },
        { "x", audio0, AVERROR(EINVAL) },
        { "a:x", audio0, AVERROR(EINVAL) },
        { "ab", audio0, AVERROR(EINVAL) },
        { "1x", audio0, AVERROR(EINVAL) },
        { "p:", audio0, AVERROR(EINVAL) },
        { "p:1:", audio0, AVERROR(EINVAL) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckStreamSpecifier(f.file(), f.stream(c.stream), c.spec), c.expected)
            << "specifier \"" << c.spec << "\" on stream " << c.stream;
}

TEST_F(StreamSpecifierTest, LastMatchingOccurrenceWins)
{
    const AvFixture& f = *input;
    const TSpecList rates {
        { "", 48000 },
        { "a:1", 22050 },
        { "v", 1 },
    };
    AVStream* audio0 = f.stream(f.indexOf(AVMEDIA_TYPE_AUDIO, 0));
    AVStream* audio1 = f.stream(f.indexOf(AVMEDIA_TYPE_AUDIO, 1));
    AVStream* video = f.stream(f.indexOf(AVMEDIA_TYPE_VIDEO));
    EXPECT_EQ(MatchPerStream(rates, f.file(), audio0, 0), 48000);
    EXPECT_EQ(MatchPerStream(rates, f.file(), audio1, 0), 22050);
    EXPECT_EQ(MatchPerStream(rates, f.file(), video, 0), 1);
    EXPECT_EQ(MatchPerStream(TSpecList { { "a", 2 } }, f.file(), video, 7), 7);
}

TEST_F(StreamSpecifierTest, InvalidSpecifierStopsTheLookup)
{
    const AvFixture& f = *input;
    const TSpecList channels { { "a", 2 }, { "q", 1 } };
    try {
        MatchPerStream(channels, f.file(), f.stream(0), 0);
        FAIL() << "no exception";
    } catch (const FFmpegException& e) {
        EXPECT_STREQ(e.what(), "check_stream_specifier: Invalid argument");
    }
}

} // namespace
