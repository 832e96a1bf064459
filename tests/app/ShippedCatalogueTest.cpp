// The catalogue laid out beside the program: scrambled, complete, and every choice it
// offers accepted by the encoder it names.
#include "app/Catalogue.h"
#include "app/Decryptor.h"
#include "support/TestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <memory>

namespace {

const auto shippedFile
    = [] { return testsupport::programDir() / "quaverly-profiles" / "formats.dat"; };

TProfiles shipped()
{
    return LoadCatalogue(QString::fromStdString(shippedFile().string()));
}

// Opens the named encoder as a conversion would; returns the library's answer.
int openEncoder(const QString& name, int sampleRate, int channels, int64_t bitRate)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name.toUtf8().constData());
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> ctx(
        avcodec_alloc_context3(codec), [](AVCodecContext* c) { avcodec_free_context(&c); });
    ctx->sample_rate = sampleRate;
    ctx->time_base = { 1, sampleRate };
    ctx->bit_rate = bitRate;
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&ctx->ch_layout, channels);
    return avcodec_open2(ctx.get(), codec, nullptr);
}

} // namespace

TEST(ShippedCatalogue, IsScrambledAndHoldsTheSourceLines)
{
    const std::string stored = testsupport::readFile(shippedFile());
    EXPECT_EQ(stored.find("Profile"), std::string::npos);
    EXPECT_EQ(stored.find("value"), std::string::npos);
    const std::string plain = Complemented(QByteArray::fromStdString(stored)).toStdString();
    EXPECT_EQ(plain,
        testsupport::readFile(
            std::filesystem::path(QUAVERLY_SOURCE_DIR) / "data/profiles/formats.txt"));
    EXPECT_NE(plain.find("<Profile>"), std::string::npos);
}

TEST(ShippedCatalogue, ProfilesAreCompleteAndConsistent)
{
    const TProfiles profiles = shipped();
    ASSERT_GE(profiles.size(), 10u);
    EXPECT_EQ(profiles[0].AudioCodecName, "libmp3lame");
    EXPECT_EQ(profiles[0].FormatExt, ".mp3");
    for (const TProfile& p : profiles) {
        SCOPED_TRACE(p.Title.toStdString());
        EXPECT_FALSE(p.Title.isEmpty());
        EXPECT_TRUE(p.FormatExt.startsWith('.'));
        EXPECT_EQ(p.ExtraParam, "-vn -sn -dn");
        EXPECT_GE(ChoiceIndex(p.AudioCodecs, p.AudioCodecName), 0);
        EXPECT_GE(ChoiceIndex(p.AudioBitRates, p.AudioBitRate), 0);
        EXPECT_GE(ChoiceIndex(p.SampleRates, p.SampleRate), 0);
        EXPECT_GE(ChoiceIndex(p.Channels, p.Channel), 0);
        for (const QString& rate : SplitChoiceList(p.AudioBitRates, true))
            EXPECT_GE(rate.toInt(), 8000) << "bit rates are in bits per second";
    }
}

TEST(ShippedCatalogue, EncodersAcceptEveryCombinationOfChoices)
{
    for (const TProfile& p : shipped())
        for (const QString& codec : SplitChoiceList(p.AudioCodecs, true))
            for (const QString& rate : SplitChoiceList(p.SampleRates, true))
                for (const QString& channels : SplitChoiceList(p.Channels, true))
                    for (const QString& bitRate : SplitChoiceList(p.AudioBitRates, true))
                        EXPECT_GE(
                            openEncoder(codec, rate.toInt(), channels.toInt(), bitRate.toInt()), 0)
                            << p.Title.toStdString() << ": " << rate.toStdString() << " Hz, "
                            << channels.toStdString() << " channels, " << bitRate.toStdString()
                            << " bit/s";
}
