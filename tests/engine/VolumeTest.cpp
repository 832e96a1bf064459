#include "engine/LibAVHandles.h"
#include "engine/Volume.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TFramePtr MakeFrame(AVSampleFormat AFormat, int AChannels, int ASamples)
{
    TFramePtr f(av_frame_alloc());
    f->format = AFormat;
    av_channel_layout_default(&f->ch_layout, AChannels);
    f->nb_samples = ASamples;
    av_frame_get_buffer(f.get(), 0);
    return f;
}

struct TVolumeCase {
    int volume;
    int16_t in;
    int16_t out;
};

TEST(VolumeTest, SignedSixteenBitFollowsTheRoundingAndClippingRule)
{
    const TVolumeCase cases[] = { { 128, 1000, 500 }, { 128, -1000, -500 }, { 128, 32767, 16384 },
        { 128, -32768, -16384 }, { 512, 20000, 32767 }, { 512, -20000, -32768 },
        { 256, 12345, 12345 }, { 256, -32768, -32768 } };
    for (const auto& c : cases) {
        // Packed and planar data take the same rule on every plane.
        for (AVSampleFormat fmt : { AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_S16P }) {
            TFramePtr f = MakeFrame(fmt, 2, 4);
            int planes = fmt == AV_SAMPLE_FMT_S16P ? 2 : 1;
            int perPlane = fmt == AV_SAMPLE_FMT_S16P ? 4 : 8;
            for (int p = 0; p < planes; ++p)
                for (int i = 0; i < perPlane; ++i)
                    reinterpret_cast<int16_t*>(f->extended_data[p])[i] = c.in;
            ASSERT_TRUE(ApplyVolume(f.get(), c.volume));
            for (int p = 0; p < planes; ++p)
                for (int i = 0; i < perPlane; ++i)
                    EXPECT_EQ(reinterpret_cast<int16_t*>(f->extended_data[p])[i], c.out)
                        << "volume " << c.volume << " on " << c.in << " plane " << p;
        }
    }
}

TEST(VolumeTest, OtherFormatsScaleAndUnknownOnesAreRefused)
{
    TFramePtr u8 = MakeFrame(AV_SAMPLE_FMT_U8, 1, 2);
    u8->data[0][0] = 228;  // +100 around the midpoint 128
    u8->data[0][1] = 0;
    ASSERT_TRUE(ApplyVolume(u8.get(), 128));
    EXPECT_EQ(u8->data[0][0], 178);
    EXPECT_EQ(u8->data[0][1], 64);

    TFramePtr s32 = MakeFrame(AV_SAMPLE_FMT_S32, 1, 1);
    reinterpret_cast<int32_t*>(s32->data[0])[0] = 2000000000;
    ASSERT_TRUE(ApplyVolume(s32.get(), 512));
    EXPECT_EQ(reinterpret_cast<int32_t*>(s32->data[0])[0], INT32_MAX);

    TFramePtr flt = MakeFrame(AV_SAMPLE_FMT_FLTP, 2, 1);
    reinterpret_cast<float*>(flt->extended_data[1])[0] = 0.5f;
    ASSERT_TRUE(ApplyVolume(flt.get(), 128));
    EXPECT_FLOAT_EQ(reinterpret_cast<float*>(flt->extended_data[1])[0], 0.25f);

    TFramePtr s64 = MakeFrame(AV_SAMPLE_FMT_S64, 1, 1);
    EXPECT_FALSE(ApplyVolume(s64.get(), 128));
}

}  // namespace
