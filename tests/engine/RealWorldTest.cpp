#include "MediaCheck.h"
#include "engine/FFmpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using testsupport::makeTone;
using testsupport::runProgram;
using testsupport::TempDir;

namespace {

void run(const std::vector<std::string>& AArgv)
{
    std::string out;
    ASSERT_EQ(runProgram(AArgv, &out), 0) << AArgv[0] << ": " << out;
}

void gst(const std::string& APipeline)
{
    std::vector<std::string> argv { "gst-launch-1.0", "-q" };
    for (size_t start = 0; start < APipeline.size();) {
        size_t end = std::min(APipeline.find(' ', start), APipeline.size());
        argv.push_back(APipeline.substr(start, end - start));
        start = end + 1;
    }
    run(argv);
}

// Two seconds of audio in a format the world sends us, made by someone else's encoder.
struct TSource {
    const char* name;
    std::function<void(const fs::path& ADir, const fs::path& AFile)> make;
    const char* outputOptions;
};

const char* kGstAudio = "audiotestsrc num-buffers=86 samplesperbuffer=1024 ! audioconvert ! ";

const TSource kSources[] = {
    { "vbr.mp3",
        [](const fs::path& d, const fs::path& f) {
            makeTone(d / "src.wav", 2.0, 44100, 2, { "-b", "16" });
            run({ "lame", "--silent", "-V", "2", (d / "src.wav").string(), f.string() });
        },
        "" },
    { "hires.flac", [](const fs::path&, const fs::path& f) { makeTone(f, 2.0, 96000, 2, { "-b", "24" }); },
        "" },
    { "surround.flac", [](const fs::path&, const fs::path& f) { makeTone(f, 2.0, 48000, 6); }, "" },
    { "tone.ogg",
        [](const fs::path& d, const fs::path& f) {
            makeTone(d / "src.wav", 2.0, 44100, 2, { "-b", "16" });
            run({ "oggenc", "-Q", "-o", f.string(), (d / "src.wav").string() });
        },
        "" },
    { "tone.opus",
        [](const fs::path& d, const fs::path& f) {
            makeTone(d / "src.wav", 2.0, 44100, 2, { "-b", "16" });
            run({ "opusenc", "--quiet", (d / "src.wav").string(), f.string() });
        },
        "" },
    { "tone.m4a",
        [](const fs::path&, const fs::path& f) {
            gst(std::string(kGstAudio) + "avenc_aac ! mp4mux ! filesink location=" + f.string());
        },
        "" },
    { "tone.wma",
        [](const fs::path&, const fs::path& f) {
            gst(std::string(kGstAudio) + "avenc_wmav2 ! avmux_asf ! filesink location=" + f.string());
        },
        "" },
    { "video.mkv",
        [](const fs::path&, const fs::path& f) {
            gst("matroskamux name=m ! filesink location=" + f.string()
                + " videotestsrc num-buffers=20 ! video/x-raw,width=64,height=48,framerate=10/1"
                  " ! jpegenc ! m. "
                + kGstAudio + "vorbisenc ! m.");
        },
        "-vn" },
    { "u8.wav",
        [](const fs::path&, const fs::path& f) {
            makeTone(f, 2.0, 8000, 1, { "-e", "unsigned-integer", "-b", "8" });
        },
        "" },
    { "tone.aiff", [](const fs::path&, const fs::path& f) { makeTone(f, 2.0); }, "" },
};

const std::pair<const char*, const char*> kTargets[] = { { "mp3", "-c:a libmp3lame -b:a 128k" },
    { "flac", "" }, { "ogg", "-c:a libvorbis" }, { "opus", "-c:a libopus" }, { "m4a", "-c:a aac" },
    { "wav", "" } };

class RealWorldTest : public ::testing::TestWithParam<TSource> { };

TEST_P(RealWorldTest, ConvertsToEveryTargetAtTheSourceLength)
{
    TempDir dir;
    fs::path in = dir / GetParam().name;
    GetParam().make(dir.path(), in);
    if (HasFatalFailure())
        return;
    double length = DecodeAudio(in).seconds();
    ASSERT_GT(length, 1.5);
    for (const auto& [ext, options] : kTargets) {
        fs::path out = dir / (std::string("out.") + ext);
        TFFmpeg job;
        ASSERT_GE(job.AddInput(in.string(), {}), 0) << job.FLastErrMsg;
        ASSERT_GE(job.SetOutput(out.string(),
                      MakeOutputOptions(out.string(),
                          std::string(options) + " " + GetParam().outputOptions, "")),
            0)
            << job.FLastErrMsg;
        job.StartConvert();
        ASSERT_TRUE(job.Finished()) << ext << ": " << job.FatalMessage();
        TDecodedAudio a = DecodeAudio(out);
        EXPECT_NEAR(a.seconds(), length, 0.1) << GetParam().name << " -> " << ext;
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, RealWorldTest, ::testing::ValuesIn(kSources),
    [](const auto& p) {
        std::string name = p.param.name;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

}  // namespace
