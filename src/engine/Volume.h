#pragma once
// Volume change in place on decoded samples; 256 is unchanged, 128 half, 512 double.

extern "C" {
#include <libavutil/frame.h>
}

// Applies AVolume to every sample of every plane of AFrame. Returns false when the
// sample format has no volume rule (the data is then untouched).
bool ApplyVolume(AVFrame* AFrame, int AVolume);
