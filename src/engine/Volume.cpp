#include "engine/Volume.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// Integer samples: (s * volume + 128) >> 8 with an arithmetic shift, clipped.
template <typename T, typename Wide>
void ScaleIntegers(uint8_t* AData, int ACount, int AVolume, Wide AOffset)
{
    auto* p = reinterpret_cast<T*>(AData);
    for (int i = 0; i < ACount; ++i) {
        Wide v = ((Wide(p[i]) - AOffset) * AVolume + 128) >> 8;
        v += AOffset;
        p[i] = static_cast<T>(std::clamp<Wide>(
            v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
    }
}

template <typename T> void ScaleFloats(uint8_t* AData, int ACount, int AVolume)
{
    auto* p = reinterpret_cast<T*>(AData);
    T factor = T(AVolume) / T(256);
    for (int i = 0; i < ACount; ++i)
        p[i] *= factor;
}

}  // namespace

bool ApplyVolume(AVFrame* AFrame, int AVolume)
{
    auto format = static_cast<AVSampleFormat>(AFrame->format);
    bool planar = av_sample_fmt_is_planar(format);
    int channels = AFrame->ch_layout.nb_channels;
    int planes = planar ? channels : 1;
    int count = AFrame->nb_samples * (planar ? 1 : channels);
    for (int p = 0; p < planes; ++p) {
        uint8_t* data = AFrame->extended_data[p];
        switch (av_get_packed_sample_fmt(format)) {
        case AV_SAMPLE_FMT_U8:
            ScaleIntegers<uint8_t, int64_t>(data, count, AVolume, 128);
            break;
        case AV_SAMPLE_FMT_S16:
            ScaleIntegers<int16_t, int64_t>(data, count, AVolume, 0);
            break;
        case AV_SAMPLE_FMT_S32:
            ScaleIntegers<int32_t, int64_t>(data, count, AVolume, 0);
            break;
        case AV_SAMPLE_FMT_FLT:
            ScaleFloats<float>(data, count, AVolume);
            break;
        case AV_SAMPLE_FMT_DBL:
            ScaleFloats<double>(data, count, AVolume);
            break;
        default:
            return false;
        }
    }
    return true;
}
