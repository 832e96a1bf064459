#include "JobRunner.h"
#include "MediaCheck.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using testsupport::makeTone;
using testsupport::TempDir;

namespace {

TJobOptions Trim(int64_t AStart, int64_t ALength)
{
    return [=](TCustomFFmpeg& job) {
        job.FOptions.start_time = AStart;
        job.FOptions.recording_time = ALength;
    };
}

TEST(JobTest, TrimGivesTheAskedSpan)
{
    TempDir dir;
    makeTone(dir / "in.wav", 8.0, 44100, 2, { "-b", "16" });
    // WAV is sample exact; MP3 within one encoder frame.
    for (const char* name : { "out.wav", "out.mp3" }) {
        auto r = RunJob({ { dir / "in.wav", Trim(2000000, 3000000) } }, dir / name);
        ASSERT_TRUE(r.finished) << r.error;
        TDecodedAudio a = DecodeAudio(dir / name);
        EXPECT_NEAR(a.seconds(), 3.0, std::string(name) == "out.wav" ? 1.0 / 44100 : 1152.0 / 44100)
            << name;
        ASSERT_FALSE(r.progress.empty());
        EXPECT_EQ(r.progress.back().TotalDuration, 3000000);
        EXPECT_EQ(r.progress.back().FileIndex, -1);
    }
}

TEST(JobTest, TrimStartsAtTheAskedSample)
{
    // A ramp makes the first sample tell where the output starts.
    TempDir dir;
    auto in = dir / "ramp.wav";
    std::string out;
    ASSERT_EQ(testsupport::runProgram({ "sox", "-n", "-r", "8000", "-c", "1", "-b", "16",
                  in.string(), "synth", "4", "sawtooth", "1", "vol", "0.9" }, &out), 0) << out;
    TDecodedAudio src = DecodeAudio(in, true);
    auto r = RunJob({ { in, Trim(1500000, 1000000) } }, dir / "out.wav");
    ASSERT_TRUE(r.finished) << r.error;
    TDecodedAudio a = DecodeAudio(dir / "out.wav", true);
    ASSERT_EQ(a.samples, 8000);
    EXPECT_EQ(a.pcm[0], src.pcm[12000]);
    EXPECT_EQ(a.pcm.back(), src.pcm[19999]);
}

TEST(JobTest, TotalDurationRules)
{
    TempDir dir;
    makeTone(dir / "long.wav", 200.0, 8000, 1, { "-b", "8" });
    makeTone(dir / "a.wav", 5.0, 8000, 1);
    makeTone(dir / "b.wav", 7.0, 8000, 1);
    auto stopAtOnce = [](TCustomFFmpeg& job) { job.FBroken = true; };
    struct {
        std::vector<TJobInput> inputs;
        TJobOptions output;
        bool join;
        int64_t total;
    } cases[] = {
        { { { dir / "long.wav", Trim(50000000, INT64_MAX) } }, {}, false, 150000000 },
        { { { dir / "long.wav", Trim(50000000, 30000000) } }, {}, false, 30000000 },
        { { { dir / "a.wav", {} }, { dir / "b.wav", {} } },
            [](TCustomFFmpeg& job) { job.FOptions.recording_time = 1000000; }, true, 12000000 },
    };
    for (auto& c : cases) {
        auto r = RunJob(c.inputs, dir / "out.wav", c.output, c.join, stopAtOnce);
        ASSERT_TRUE(r.built) << r.error;
        ASSERT_FALSE(r.finished);
        EXPECT_EQ(r.progress.back().TotalDuration, c.total);
    }
}

TEST(JobTest, VolumeHalvesTheLevel)
{
    TempDir dir;
    makeTone(dir / "in.wav", 2.0, 44100, 2, { "-b", "16" });
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.wav",
        [](TCustomFFmpeg& job) { job.FSettings.Faudio_volume = 128; });
    ASSERT_TRUE(r.finished) << r.error;
    double before = Rms(DecodeAudio(dir / "in.wav", true).pcm);
    double after = Rms(DecodeAudio(dir / "out.wav", true).pcm);
    EXPECT_NEAR(after / before, 0.5, 0.005);
}

TEST(JobTest, EncoderFramesAreCutFromTheDecoderFrames)
{
    // FLAC in blocks of 1024 samples; PCM out keeps the block size, MP3 cuts 1152.
    TempDir dir;
    makeTone(dir / "in.wav", 1.0, 44100, 2, { "-b", "16" });
    std::string log;
    ASSERT_EQ(testsupport::runProgram({ "flac", "-s", "--blocksize=1024", "-o",
                  (dir / "in.flac").string(), (dir / "in.wav").string() }, &log), 0) << log;
    struct {
        const char* codec;
        int frame;
    } cases[] = { { "pcm_s16le", 1024 }, { "libmp3lame", 1152 } };
    for (const auto& c : cases) {
        auto r = RunJob({ { dir / "in.flac", {} } }, dir / "out.mka",
            [&](TCustomFFmpeg& job) { SetCodec(job, c.codec); });
        ASSERT_TRUE(r.finished) << r.error;
        TDecodedAudio a = DecodeAudio(dir / "out.mka");
        ASSERT_GT(a.packetSamples.size(), 2u);
        for (size_t i = 0; i + 1 < a.packetSamples.size(); ++i)
            ASSERT_EQ(a.packetSamples[i], c.frame) << c.codec << " frame " << i;
        EXPECT_LE(a.packetSamples.back(), c.frame);
        EXPECT_GE(a.samples, 44100) << c.codec;
        EXPECT_LT(a.samples, 44100 + 2 * c.frame + 2048) << c.codec;
    }
}

TEST(JobTest, MonoBecomesStereo)
{
    TempDir dir;
    makeTone(dir / "in.wav", 2.0, 22050, 1);
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.ogg", [](TCustomFFmpeg& job) {
        SetCodec(job, "libvorbis");
        job.FOptions.audio_channels.push_back({ "", 2 });
    });
    ASSERT_TRUE(r.finished) << r.error;
    TDecodedAudio a = DecodeAudio(dir / "out.ogg");
    EXPECT_EQ(a.channels, 2);
    EXPECT_NEAR(a.seconds(), 2.0, 0.05);
}

TEST(JobTest, JoinPutsInputsEndToEnd)
{
    TempDir dir;
    makeTone(dir / "a.wav", 5.0, 44100, 2);
    makeTone(dir / "b.wav", 7.0, 44100, 2);
    auto r = RunJob({ { dir / "a.wav", {} }, { dir / "b.wav", {} } }, dir / "out.mp3",
        {}, true);
    ASSERT_TRUE(r.finished) << r.error;
    EXPECT_NEAR(DecodeAudio(dir / "out.mp3").seconds(), 12.0, 0.1);
    std::vector<int> indices;
    for (const auto& p : r.progress)
        if (indices.empty() || indices.back() != p.FileIndex)
            indices.push_back(p.FileIndex);
    EXPECT_EQ(indices, (std::vector<int> { 0, 1, -1 })) << ::testing::PrintToString(indices);
}

TEST(JobTest, SampleRateAndFormatFallBackToWhatTheEncoderSupports)
{
    TempDir dir;
    makeTone(dir / "in.wav", 1.0, 44100, 2, { "-b", "16" });
    struct {
        int asked;
        int got;
    } cases[] = { { 46050, 44100 }, { 47000, 48000 }, { 32000, 32000 } };
    for (const auto& c : cases) {
        TLogCapture log;
        auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.mp3", [&](TCustomFFmpeg& job) {
            job.FOptions.audio_sample_rate.push_back({ "", c.asked });
            job.FOptions.sample_fmts.push_back({ "", std::string("s16") });
        });
        ASSERT_TRUE(r.finished) << r.error;
        EXPECT_EQ(DecodeAudio(dir / "out.mp3").sampleRate, c.got);
        EXPECT_EQ(log.Contains("Requested sampling rate unsupported using closest supported"),
            c.asked != c.got);
        EXPECT_TRUE(log.Contains(
            "Incompatible sample format \"s16\" for codec \"libmp3lame\", auto-selecting format"));
    }
}

TEST(JobTest, EncoderProblemsAreReported)
{
    TempDir dir;
    makeTone(dir / "in.wav", 1.0);
    {
        TLogCapture log;
        auto r = RunJob({ { dir / "in.wav", {} } }, dir / "low.mp3",
            [](TCustomFFmpeg& job) { job.FFFOptions.opt_default("b:a", "128"); });
        EXPECT_TRUE(r.finished) << r.error;
        EXPECT_TRUE(log.Contains("The bitrate parameter is set too low. It takes bits/s as "
                                 "argument, not kbits/s"));
    }
    TLogCapture log;
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "bad.flac",
        [](TCustomFFmpeg& job) { job.FFFOptions.opt_default("compression_level", "99"); });
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.error, "transcode_init() error: Invalid argument");
    EXPECT_TRUE(log.Contains("Error while opening encoder for output stream #0:0 (Audio)"));
    EXPECT_FALSE(fs::exists(dir / "bad.flac"));
}

TEST(JobTest, EmptyOutputIsDeleted)
{
    TempDir dir;
    makeTone(dir / "in.wav", 1.0);
    TLogCapture log;
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.raw", [](TCustomFFmpeg& job) {
        job.FOptions.format = "s16le";
        job.FOptions.recording_time = 0;
    });
    EXPECT_TRUE(r.finished) << r.error;
    EXPECT_TRUE(log.Contains("Output file is empty, nothing was encoded"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(JobTest, StopLeavesAValidShorterFile)
{
    TempDir dir;
    makeTone(dir / "in.wav", 20.0, 44100, 2);
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.mp3", {}, false,
        [](TCustomFFmpeg& job) {
            job.FOnProgress = [](TCustomFFmpeg* ASender, const TProgressValues& v) {
                if (v.CurrentDuration > 2000000)
                    ASender->FBroken = true;
            };
        });
    EXPECT_FALSE(r.finished);
    EXPECT_TRUE(r.error.empty()) << r.error;
    double seconds = DecodeAudio(dir / "out.mp3").seconds();
    EXPECT_GT(seconds, 1.5);
    EXPECT_LT(seconds, 10.0);
}

TEST(JobTest, OutputNamingAnInputIsRefused)
{
    TempDir dir;
    makeTone(dir / "in.wav", 1.0);
    std::string before = testsupport::readFile(dir / "in.wav");
    fs::create_symlink(dir / "in.wav", dir / "link.wav");
    for (const char* name : { "in.wav", "link.wav" }) {
        auto r = RunJob({ { dir / "in.wav", {} } }, dir / name);
        EXPECT_EQ(r.error, "Output file is the same as input file: " + (dir / name).string());
    }
    EXPECT_EQ(testsupport::readFile(dir / "in.wav"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(JobTest, FailedJobLeavesAnEarlierTargetUntouched)
{
    TempDir dir;
    makeTone(dir / "in.wav", 1.0);
    testsupport::writeFile(dir / "out.flac", "earlier");
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "out.flac",
        [](TCustomFFmpeg& job) { job.FFFOptions.opt_default("compression_level", "99"); });
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(testsupport::readFile(dir / "out.flac"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(JobTest, BadInputsFailWithTheLibraryText)
{
    TempDir dir;
    testsupport::writeFile(dir / "empty.wav", "");
    std::string noise(65536, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    testsupport::writeFile(dir / "noise.mp3", noise);
    struct {
        const char* name;
        const char* text;
    } cases[] = { { "missing.wav", "No such file or directory" },
        { "empty.wav", "Invalid data found when processing input" },
        { "noise.mp3", "Invalid argument" } };
    for (const auto& c : cases) {
        auto r = RunJob({ { dir / c.name, {} } }, dir / "out.mp3");
        EXPECT_EQ(r.error, (dir / c.name).string() + ": " + c.text);
    }

    // Random bytes the MP3 reader accepts but no packet of which decodes: the job
    // fails and leaves no header-only file behind.
    std::mt19937 random(7);
    std::string bytes(200000, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    testsupport::writeFile(dir / "random.mp3", bytes);
    auto r = RunJob({ { dir / "random.mp3", {} } }, dir / "random-out.mp3");
    EXPECT_EQ(r.error, "Error while decoding stream #0:0 (audio): nothing could be decoded");
    EXPECT_FALSE(fs::exists(dir / "random-out.mp3"));
}

TEST(JobTest, DamagedInputsEndWithoutCrashOrHang)
{
    TempDir dir;
    std::string noise(65536, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    testsupport::writeFile(dir / "noise.mp3", noise);
    makeTone(dir / "tone.wav", 2.0);
    std::string log;
    ASSERT_EQ(testsupport::runProgram({ "lame", "--silent", (dir / "tone.wav").string(),
                  (dir / "tone.mp3").string() }, &log), 0) << log;
    std::string mp3 = testsupport::readFile(dir / "tone.mp3");
    testsupport::writeFile(dir / "truncated.mp3", mp3.substr(0, mp3.size() / 2));
    testsupport::writeFile(dir / "mislabelled.flac", mp3);
    // A WAV header that promises far more data than the file holds.
    std::string wav = testsupport::readFile(dir / "tone.wav");
    wav.replace(40, 4, std::string("\xff\xff\xff\x7f", 4));
    testsupport::writeFile(dir / "lying.wav", wav);
    for (const char* name : { "noise.mp3", "truncated.mp3", "mislabelled.flac", "lying.wav" }) {
        auto r = RunJob({ { dir / name, {} } }, dir / "out.ogg",
            [](TCustomFFmpeg& job) { SetCodec(job, "libvorbis"); });
        EXPECT_TRUE(r.finished || !r.error.empty()) << name;
    }
}

}  // namespace
