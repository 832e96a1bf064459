#include "AvFixture.h"

#include <gtest/gtest.h>

AvFixture::AvFixture()
{
    const std::string path = (FDir / "av.mkv").string();
    const std::string pipeline = "matroskamux name=m ! filesink location=" + path
        + " videotestsrc num-buffers=10 ! video/x-raw,width=64,height=48,framerate=10/1 ! jpegenc "
          "! m."
          " audiotestsrc num-buffers=10 ! audioconvert ! audio/x-raw,channels=2 ! vorbisenc ! m."
          " audiotestsrc num-buffers=10 ! audioconvert ! flacenc ! m.";
    std::vector<std::string> argv { "gst-launch-1.0", "-q" };
    for (size_t start = 0; start < pipeline.size();) {
        size_t end = pipeline.find(' ', start);
        if (end == std::string::npos)
            end = pipeline.size();
        argv.push_back(pipeline.substr(start, end - start));
        start = end + 1;
    }
    std::string output;
    if (testsupport::runProgram(argv, &output) != 0)
        throw std::runtime_error("gst-launch-1.0 failed: " + output);
    AVFormatContext* file = nullptr;
    if (avformat_open_input(&file, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    FFile.reset(file);
    if (avformat_find_stream_info(file, nullptr) < 0 || file->nb_streams != 3)
        throw std::runtime_error("unexpected streams in " + path);
}

int AvFixture::indexOf(AVMediaType type, int n) const
{
    for (unsigned i = 0; i < FFile->nb_streams; ++i)
        if (FFile->streams[i]->codecpar->codec_type == type && n-- == 0)
            return static_cast<int>(i);
    return -1;
}
