#pragma once
// A small file with one video, one stereo and one mono audio stream, made by
// GStreamer and opened with its streams probed.

extern "C" {
#include <libavformat/avformat.h>
}

#include "support/TestSupport.h"

#include <memory>

class AvFixture {
public:
    AvFixture();

    AVFormatContext* file() const { return FFile.get(); }
    AVStream* stream(int index) const { return FFile->streams[index]; }
    // The n-th stream of a type, by index.
    int indexOf(AVMediaType type, int n = 0) const;

private:
    struct Close {
        void operator()(AVFormatContext* file) const { avformat_close_input(&file); }
    };
    testsupport::TempDir FDir;
    std::unique_ptr<AVFormatContext, Close> FFile;
};
