#pragma once
// A small file with one video, one stereo and one mono audio stream, made by
// GStreamer and opened with its streams probed.

extern "C" {
#include <libavformat/avformat.h>
}

#include "support/TestSupport.h"

#include <gtest/gtest.h>

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

// A test suite whose tests share one AvFixture, made once.
class AvFixtureSuite : public testing::Test {
protected:
    static void SetUpTestSuite() { input = new AvFixture(); }
    static void TearDownTestSuite()
    {
        delete input;
        input = nullptr;
    }
    static inline AvFixture* input = nullptr;
};
