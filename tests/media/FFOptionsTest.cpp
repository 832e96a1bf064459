#include "media/FFOptions.h"
#include "media/LastParseError.h"

#include "AvFixture.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST(FFOptions, FallbackSortsOptionsByTheLibraryThatKnowsThem)
{
    TFFOptions options;
    EXPECT_EQ(options.opt_default("b:a", "128k"), 0);
    EXPECT_EQ(options.opt_default("ab", "64k"), 0); // "b" with the audio prefix
    EXPECT_EQ(options.opt_default("reservoir", "0"), 0); // an encoder's private option
    EXPECT_EQ(options.opt_default("flags", "+global_header"), 0);
    EXPECT_EQ(options.opt_default("flags", "+bitexact"), 0);
    EXPECT_EQ(options.opt_default("probesize", "5000"), 0);
    EXPECT_EQ(options.opt_default("sws_flags", "lanczos"), 0);
    EXPECT_EQ(options.CodecOptions().Entries(),
        (Entries { { "b:a", "128k" }, { "ab", "64k" }, { "reservoir", "0" },
            { "flags", "+global_header+bitexact" } }));
    EXPECT_EQ(options.FormatOptions().Entries(), (Entries { { "probesize", "5000" } }));
    EXPECT_EQ(options.SwsFlags(), SWS_LANCZOS);

    options.init_opts();
    EXPECT_EQ(options.CodecOptions().Count(), 0);
    EXPECT_EQ(options.FormatOptions().Count(), 0);
    EXPECT_EQ(options.SwsFlags(), SWS_BICUBIC);
}

TEST(FFOptions, FallbackRefusesWhatNoLibraryKnows)
{
    TFFOptions options;
    EXPECT_EQ(options.opt_default("no_such_option", "1"), AVERROR_OPTION_NOT_FOUND);
    EXPECT_EQ(LastParseError(), "Unrecognized option \"no_such_option\"");
    EXPECT_LT(options.opt_default("sws_flags", "no_such_flag"), 0);
    EXPECT_EQ(LastParseError(), "Error setting option \"sws_flags\"");
    EXPECT_EQ(options.CodecOptions().Count() + options.FormatOptions().Count(), 0);
}

class CodecOptionsFilter : public testing::Test {
protected:
    struct CloseOutput {
        void operator()(AVFormatContext* file) const { avformat_free_context(file); }
    };

    void SetUp() override
    {
        AVFormatContext* file = nullptr;
        ASSERT_GE(avformat_alloc_output_context2(&file, nullptr, "matroska", nullptr), 0);
        output.reset(file);
        audioOut = NewStream(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_MP3);
        videoOut = NewStream(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MJPEG);
        options.opt_default("b:a", "128k");
        options.opt_default("b:v", "1M");
        options.opt_default("threads", "2");
    }

    AVStream* NewStream(AVMediaType type, AVCodecID id)
    {
        AVStream* stream = avformat_new_stream(output.get(), nullptr);
        stream->codecpar->codec_type = type;
        stream->codecpar->codec_id = id;
        return stream;
    }

    TFFOptions options;
    std::unique_ptr<AVFormatContext, CloseOutput> output;
    AVStream* audioOut = nullptr;
    AVStream* videoOut = nullptr;
};

TEST_F(CodecOptionsFilter, GivesEachEncoderItsOwnOptions)
{
    EXPECT_EQ(options.filter_codec_opts(AV_CODEC_ID_MP3, output.get(), audioOut).Entries(),
        (Entries { { "b", "128k" }, { "threads", "2" } }));
    EXPECT_EQ(options.filter_codec_opts(AV_CODEC_ID_MJPEG, output.get(), videoOut).Entries(),
        (Entries { { "b", "1M" }, { "threads", "2" } }));
}

TEST_F(CodecOptionsFilter, GivesDecodersOnlyDecodingOptions)
{
    AvFixture input;
    const int audio = input.indexOf(AVMEDIA_TYPE_AUDIO);
    TStreamInfoOptions perStream = options.setup_find_stream_info_opts(input.file());
    ASSERT_EQ(perStream.size(), input.file()->nb_streams);
    TAVDict audioOptions;
    *audioOptions.receive() = std::exchange(perStream.data()[audio], nullptr);
    EXPECT_EQ(audioOptions.Entries(), (Entries { { "threads", "2" } }));
}

TEST_F(CodecOptionsFilter, InvalidSpecifierEmptiesTheResult)
{
    options.opt_default("ab:z", "64k");
    EXPECT_EQ(options.filter_codec_opts(AV_CODEC_ID_MP3, output.get(), audioOut).Count(), 0);
}

} // namespace
