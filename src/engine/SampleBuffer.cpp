#include "engine/SampleBuffer.h"

extern "C" {
#include <libavutil/mem.h>
}

TSampleBuffer::~TSampleBuffer() { Free(); }

void TSampleBuffer::Free()
{
    if (FData)
        av_freep(&FData[0]);
    av_freep(&FData);
    FSamples = 0;
}

bool TSampleBuffer::Reserve(AVSampleFormat AFormat, int AChannels, int ASamples)
{
    if (FData && AFormat == FFormat && AChannels == FChannels && ASamples <= FSamples)
        return true;
    Free();
    if (av_samples_alloc_array_and_samples(&FData, nullptr, AChannels, ASamples, AFormat, 0) < 0)
        return false;
    FFormat = AFormat;
    FChannels = AChannels;
    FSamples = ASamples;
    return true;
}
