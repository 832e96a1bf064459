#include "AvFixture.h"
#include "media/AuException.h"
#include "media/FFDecoder.h"
#include "media/FFLogger.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <strings.h>

using testsupport::makeTone;
using testsupport::runProgram;
using testsupport::TempDir;

namespace {

constexpr int64_t oneSecond = 1000000;
constexpr int frameBytes = 4; // the default output: 16-bit stereo

void run(const std::vector<std::string>& argv)
{
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << argv[0] << ": " << out;
}

// What sox makes of a file as 16-bit stereo at 44100 Hz.
std::string soxPcm(const TempDir& dir, const std::filesystem::path& file)
{
    const auto raw = dir / "sox.raw";
    run({ "sox", file.string(), "-t", "raw", "-e", "signed", "-b", "16", "-c", "2", "-r", "44100", raw.string() });
    return testsupport::readFile(raw);
}

std::string decodeAll(TFFDecoder& decoder)
{
    std::string pcm;
    std::vector<uint8_t> block(1 << 16);
    int n;
    while ((n = decoder.ReadAudio(block.data(), static_cast<int>(block.size()))) >= 0)
        pcm.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(n));
    return pcm;
}

// Collects the decoder's log lines for the life of the object.
struct LogCapture {
    std::vector<std::string> lines;
    LogCapture()
    {
        GetLogger().SetTriggerEventInMainThread(false);
        GetLogger().SetLogLevel(llInfo);
        GetLogger().SetOnLog(
            [this](const void*, uint32_t, TLogLevel, const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture() { GetLogger().SetOnLog(nullptr); }
    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

class FFDecoderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(decoder.LoadAVLib({})) << decoder.LastErrMsg(); }

    // A three-second tone as a 16-bit WAV, and the same encoded by an independent encoder.
    std::filesystem::path wav(int rate = 44100, int channels = 2, const std::string& name = "tone.wav")
    {
        const auto file = dir / name;
        makeTone(file, 3, rate, channels, { "-b", "16" });
        return file;
    }

    std::filesystem::path encode(const std::string& ext)
    {
        const auto out = dir / ("tone." + ext);
        const std::vector<std::string> tags { "-T", "TITLE=Morning tone", "-T", "ALBUM=Tests" };
        testsupport::encodeAudio(wav(), out, ext == "flac" ? tags : std::vector<std::string> {});
        return out;
    }

    TempDir dir;
    TFFDecoder decoder;
};

TEST_F(FFDecoderTest, ReportsDurationAndStreamFacts)
{
    struct Case {
        std::string ext;
        std::string format;
        std::string codec;
        int sampleRate;
        int64_t tolerance;
    };
    const Case cases[] = {
        { "wav", "wav", "pcm_s16le", 44100, 0 },
        { "flac", "flac", "flac", 44100, 0 },
        { "mp3", "mp3", "mp3float", 44100, oneSecond / 10 },
        { "ogg", "ogg", "vorbis", 44100, oneSecond / 10 },
        { "opus", "ogg", "opus", 48000, oneSecond / 10 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        const auto file = c.ext == "wav" ? wav() : encode(c.ext);
        ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrMsg();
        EXPECT_EQ(decoder.FormatName(), c.format);
        EXPECT_NEAR(decoder.FileStreamInfo().Duration, 3 * oneSecond, c.tolerance);
        EXPECT_EQ(decoder.StreamCount(), 1);
        EXPECT_EQ(decoder.AudioStreamCount(), 1);
        EXPECT_EQ(decoder.FirstAudioStreamIndex(), 0);
        EXPECT_EQ(decoder.FirstVideoStreamIndex(), -1);
        const TAudioStreamInfo info = decoder.FirstAudioStreamInfo();
        EXPECT_EQ(info.CodecName.substr(0, info.CodecName.find('(')), c.codec);
        EXPECT_EQ(info.SampleRate, c.sampleRate);
        EXPECT_EQ(info.Channels, 2);
        EXPECT_EQ(decoder.FileSize(), static_cast<int64_t>(std::filesystem::file_size(file)));
    }
}

TEST_F(FFDecoderTest, LosslessSourcesDecodeToTheSameSamplesAsSox)
{
    LogCapture log;
    for (const auto& file : { wav(), std::filesystem::path(encode("flac")) }) {
        SCOPED_TRACE(file.string());
        ASSERT_TRUE(decoder.LoadFile(file));
        const std::string pcm = decodeAll(decoder);
        EXPECT_EQ(pcm.size(), size_t(3 * 44100 * frameBytes));
        EXPECT_TRUE(pcm == soxPcm(dir, file));
        EXPECT_EQ(decoder.LastErrMsg(), "stream eof reached.");
    }
    // The source already had the desired format: no converter was built.
    for (const std::string& line : log.lines)
        EXPECT_EQ(line.find("need resample"), std::string::npos) << line;
}

TEST_F(FFDecoderTest, LossyDecodingStaysCloseToTheOriginal)
{
    const auto original = wav();
    const std::string reference = testsupport::readFile(original).substr(44);
    ASSERT_TRUE(decoder.LoadFile(encode("mp3")));
    const std::string pcm = decodeAll(decoder);
    // The encoder's delay and padding are removed, so the samples line up.
    EXPECT_NEAR(double(pcm.size()), double(reference.size()), 0.01 * reference.size());
    double signal = 0, noise = 0;
    const size_t samples = std::min(pcm.size(), reference.size()) / 2;
    for (size_t i = 0; i < samples; ++i) {
        int16_t a, b;
        std::memcpy(&a, reference.data() + 2 * i, 2);
        std::memcpy(&b, pcm.data() + 2 * i, 2);
        signal += double(a) * a;
        noise += double(a - b) * (a - b);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20.0);
}

TEST_F(FFDecoderTest, ConvertsOtherRatesAndChannelCountsWithoutLosingTheTail)
{
    struct Case {
        int rate;
        int channels;
    };
    for (const Case c : { Case { 22050, 1 }, Case { 48000, 1 }, Case { 48000, 2 } }) {
        SCOPED_TRACE(c.rate);
        LogCapture log;
        ASSERT_TRUE(decoder.LoadFile(wav(c.rate, c.channels)));
        const std::string pcm = decodeAll(decoder);
        EXPECT_TRUE(log.has(FormatText(
            "need resample %d channels @ %d Hz to 2 channels @ 44100 Hz", c.channels, c.rate)));
        // Three seconds at 44100 Hz, give or take one sample frame of rounding.
        EXPECT_NEAR(double(pcm.size() / frameBytes), 3 * 44100, 1);
        if (c.channels == 1) {
            int16_t left, right;
            std::memcpy(&left, pcm.data() + 4000, 2);
            std::memcpy(&right, pcm.data() + 4002, 2);
            EXPECT_EQ(left, right);
        }
    }
}

TEST_F(FFDecoderTest, ReadAudioHandsOutOneChunkAtATime)
{
    ASSERT_TRUE(decoder.LoadFile(encode("flac")));
    const int available = decoder.ReadAudio(nullptr, 1 << 30);
    ASSERT_GT(available, 8);
    EXPECT_EQ(available, decoder.WaveInfo().Size);
    // Asking again without a buffer consumes nothing.
    EXPECT_EQ(decoder.ReadAudio(nullptr, 1 << 30), available);
    EXPECT_EQ(decoder.ReadAudio(nullptr, 4), 4);

    std::vector<uint8_t> first(static_cast<size_t>(available));
    EXPECT_EQ(decoder.ReadAudio(first.data(), 8), 8);
    EXPECT_EQ(decoder.ReadAudio(nullptr, 1 << 30), available - 8);
    // A larger count gets only the rest of the chunk.
    EXPECT_EQ(decoder.ReadAudio(first.data() + 8, 1 << 30), available - 8);
    EXPECT_EQ(std::memcmp(first.data(), decoder.WaveInfo().Buffer, size_t(available)), 0);
    EXPECT_EQ(decoder.WaveInfo().PTS, 0);

    // The next call starts the next chunk.
    std::vector<uint8_t> next(1 << 20);
    EXPECT_GT(decoder.ReadAudio(next.data(), 1 << 20), 0);
    EXPECT_GT(decoder.WaveInfo().PTS, 0);
}

TEST_F(FFDecoderTest, EndOfInputRepeatsUntilClosedOrSought)
{
    ASSERT_TRUE(decoder.LoadFile(wav()));
    decodeAll(decoder);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(decoder.ReadAudio(nullptr, 100), -1);
        EXPECT_EQ(decoder.LastErrMsg(), "stream eof reached.");
    }
    ASSERT_TRUE(decoder.Seek(0));
    EXPECT_EQ(decodeAll(decoder).size(), size_t(3 * 44100 * frameBytes));
}

TEST_F(FFDecoderTest, SeekMovesTheReadPosition)
{
    for (const auto& file : { wav(), std::filesystem::path(encode("flac")) }) {
        SCOPED_TRACE(file.string());
        ASSERT_TRUE(decoder.LoadFile(file));
        ASSERT_GT(decoder.ReadAudio(nullptr, 1), 0);
        ASSERT_TRUE(decoder.Seek(2 * oneSecond)) << decoder.LastErrMsg();
        ASSERT_GT(decoder.ReadAudio(nullptr, 1), 0);
        EXPECT_NEAR(double(decoder.WaveInfo().PTS), 2.0 * oneSecond, 0.1 * oneSecond);
        const std::string rest = decodeAll(decoder);
        EXPECT_NEAR(double(rest.size()) / (44100 * frameBytes), 1.0, 0.1);
    }
}

TEST_F(FFDecoderTest, FilesThatCannotBeOpenedFailWithAClearMessage)
{
    const auto empty = dir / "empty.mp3";
    testsupport::writeFile(empty, "");
    const auto emptyFlac = dir / "empty.flac";
    testsupport::writeFile(emptyFlac, "");
    const auto text = dir / "notes.wav";
    testsupport::writeFile(text, "Not a sound file, just a few words of text.\n");
    std::filesystem::create_directory(dir / "folder.flac");
    struct Case {
        std::filesystem::path file;
        std::string error;
    };
    const Case cases[] = {
        { dir / "missing.flac", "No such file or directory" },
        { empty, "" },
        { emptyFlac, "could not find codec parameters" },
        { text, "Invalid data found when processing input" },
        { dir / "folder.flac", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.string());
        EXPECT_FALSE(decoder.LoadFile(c.file));
        EXPECT_EQ(decoder.LastErrMsg().rfind(c.file.string() + ": ", 0), 0u) << decoder.LastErrMsg();
        EXPECT_NE(decoder.LastErrMsg().find(c.error), std::string::npos) << decoder.LastErrMsg();
        EXPECT_EQ(decoder.FileHandle(), nullptr);
        EXPECT_EQ(decoder.StreamCount(), -1);
        EXPECT_EQ(decoder.FileName(), "");
        EXPECT_EQ(decoder.LastErrMsg(), "file not loaded.");
        EXPECT_EQ(decoder.ReadAudio(nullptr, 4), -1);
    }
    EXPECT_FALSE(decoder.LoadFile(wav(), "no-such-format"));
    EXPECT_EQ(decoder.LastErrMsg(), "Unknown input format: no-such-format");
}

TEST_F(FFDecoderTest, TruncatedAndMislabelledFilesAreReadAsFarAsTheyGo)
{
    const auto flac = encode("flac");
    const std::string bytes = testsupport::readFile(flac);
    const auto truncated = dir / "half.flac";
    testsupport::writeFile(truncated, bytes.substr(0, bytes.size() / 2));
    ASSERT_TRUE(decoder.LoadFile(truncated)) << decoder.LastErrMsg();
    EXPECT_NEAR(double(decodeAll(decoder).size()) / (44100 * frameBytes), 1.5, 0.3);

    const auto mislabelled = dir / "really-flac.mp3";
    testsupport::writeFile(mislabelled, bytes);
    ASSERT_TRUE(decoder.LoadFile(mislabelled));
    EXPECT_EQ(decoder.FormatName(), "flac");
    EXPECT_EQ(decodeAll(decoder).size(), size_t(3 * 44100 * frameBytes));
}

// Damaged copies of real files: cut short, mislabelled, overwritten in the middle,
// and headers that claim far more than the file holds.
TEST_F(FFDecoderTest, DamagedFilesNeverCrashOrHang)
{
    std::vector<std::pair<std::string, std::string>> damaged;
    for (const std::string ext : { "wav", "flac", "mp3", "ogg", "opus", "m4a" }) {
        const std::string bytes = testsupport::readFile(ext == "wav" ? wav() : encode(ext));
        damaged.emplace_back("head." + ext, bytes.substr(0, 100));
        damaged.emplace_back("third." + ext, bytes.substr(0, bytes.size() / 3));
        damaged.emplace_back("almost." + ext, bytes.substr(0, bytes.size() - 7));
        damaged.emplace_back("renamed." + ext + (ext == "mp3" ? ".ogg" : ".mp3"), bytes);
        std::string scribbled = bytes;
        uint32_t seed = 12345;
        for (size_t i = scribbled.size() / 2; i < scribbled.size() / 2 + 2048 && i < scribbled.size(); ++i)
            scribbled[i] = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
        damaged.emplace_back("scribbled." + ext, scribbled);
        if (ext == "wav") {
            std::string lying = bytes;
            const uint32_t huge = 0x7ffffff0;
            std::memcpy(&lying[4], &huge, 4);
            std::memcpy(&lying[lying.find("data") + 4], &huge, 4);
            damaged.emplace_back("lying.wav", lying);
        } else if (ext == "flac") {
            std::string lying = bytes;
            lying[8 + 13] = static_cast<char>(lying[8 + 13] | 0x0f); // total samples in STREAMINFO
            std::memset(&lying[8 + 14], 0xff, 4);
            damaged.emplace_back("lying.flac", lying);
        }
    }
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        const auto file = dir / name;
        testsupport::writeFile(file, bytes);
        if (!decoder.LoadFile(file)) {
            EXPECT_FALSE(decoder.LastErrMsg().empty());
            continue;
        }
        decoder.FileInfoText();
        decoder.GetAudioStreamInfo(-1);
        // Never more than the three seconds the file held, even when a header says more.
        EXPECT_LT(double(decodeAll(decoder).size()) / (44100 * frameBytes), 3.2);
        EXPECT_EQ(decoder.ReadAudio(nullptr, 4), -1);
    }
}

TEST_F(FFDecoderTest, OpensNamesWithSpacesAndNonAsciiCharacters)
{
    const auto file = dir / "Café – ночь 夜 tone.flac";
    std::filesystem::copy_file(encode("flac"), file);
    ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrMsg();
    EXPECT_EQ(decoder.FileName(), file.string());
    EXPECT_EQ(decoder.FileSize(), static_cast<int64_t>(std::filesystem::file_size(file)));
    EXPECT_NE(decoder.FileInfoText().find("File Name: " + file.string() + "\r\n"), std::string::npos);
}

TEST_F(FFDecoderTest, FileInfoTextAndTagsDescribeTheFile)
{
    EXPECT_EQ(decoder.FileInfoText(), "");
    EXPECT_EQ(decoder.LastErrMsg(), "file not loaded.");
    EXPECT_EQ(decoder.FileStreamInfo().Duration, -1);

    ASSERT_TRUE(decoder.LoadFile(encode("flac")));
    const TFileStreamInfo info = decoder.FileStreamInfo();
    EXPECT_EQ(info.Title, "Morning tone");
    EXPECT_EQ(info.Album, "Tests");
    EXPECT_EQ(info.Year, 0);
    const std::string text = decoder.FileInfoText();
    for (const char* expected : { "Format Name: flac\r\n", "Format Long Name: raw FLAC\r\n", "Metadata:\r\n",
             "  TITLE           : Morning tone\r\n", "Duration: 00:00:03.000, start: 0.000000, bitrate: ",
             "  Stream #0, 1/44100: Audio: flac, 44100 Hz, stereo, s16" })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST_F(FFDecoderTest, FileMetadataIncludesTheCommentsOfAnOggStream)
{
    const auto ogg = dir / "tagged.ogg";
    testsupport::encodeAudio(wav(), ogg, { "-t", "Evening tone", "-a", "Ünïcode Band" });
    ASSERT_TRUE(decoder.LoadFile(ogg));
    const TMetadataList tags = decoder.FileMetadata();
    const auto has = [&](const std::string& key, const std::string& value) {
        return std::any_of(tags.begin(), tags.end(), [&](const auto& tag) {
            return strcasecmp(tag.first.c_str(), key.c_str()) == 0 && tag.second == value;
        });
    };
    EXPECT_TRUE(has("title", "Evening tone"));
    EXPECT_TRUE(has("artist", "Ünïcode Band"));
}

// A 2x2 picture: one video stream and no audio.
void writePicture(const std::filesystem::path& file)
{
    const int32_t fileHeader[] = { 70, 0, 54 };
    const int32_t size[] = { 40, 2, 2 };
    const int16_t planesAndBits[] = { 1, 24 };
    const int32_t rest[] = { 0, 16, 0, 0, 0, 0 };
    std::string bmp = "BM";
    bmp.append(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
    bmp.append(reinterpret_cast<const char*>(size), sizeof size);
    bmp.append(reinterpret_cast<const char*>(planesAndBits), sizeof planesAndBits);
    bmp.append(reinterpret_cast<const char*>(rest), sizeof rest);
    bmp += std::string(16, '\x7f');
    testsupport::writeFile(file, bmp);
}

TEST_F(FFDecoderTest, StreamQueriesReportWrongIndexesAndKinds)
{
    const auto picture = dir / "dot.bmp";
    writePicture(picture);
    ASSERT_TRUE(decoder.LoadFile(picture, "image2")) << decoder.LastErrMsg();
    EXPECT_EQ(decoder.VideoStreamCount(), 1);
    EXPECT_EQ(decoder.AudioStreamCount(), 0);

    EXPECT_EQ(decoder.ReadAudio(nullptr, 4), -1);
    EXPECT_EQ(decoder.LastErrMsg(), "no audio stream.");
    EXPECT_EQ(decoder.GetAudioStreamInfo(0).Channels, -1);
    EXPECT_EQ(decoder.LastErrMsg(), "stream #0 is not audio stream.");
    EXPECT_EQ(decoder.GetVideoStreamInfo(0).Width, 2);
    EXPECT_EQ(decoder.GetSubtitleStreamInfo(-1).CodecName, "");
    EXPECT_EQ(decoder.LastErrMsg(), "no subtitle stream.");
    EXPECT_FALSE(decoder.IsAudioStream(3));
    EXPECT_EQ(decoder.LastErrMsg(), "stream index #3 is invalid.");
    EXPECT_TRUE(decoder.IsVideoStream(0));
    EXPECT_FALSE(decoder.Seek(0));
    EXPECT_EQ(decoder.LastErrMsg(), "\"image2\" format cannot to be seeked.");
}

TEST_F(FFDecoderTest, BoundInputAnswersQueriesButRefusesReadingAndSeeking)
{
    ASSERT_TRUE(decoder.LoadFile(encode("flac")));
    {
        TFFDecoder bound;
        bound.SetFileHandle(decoder.FileHandle());
        EXPECT_EQ(bound.StreamCount(), 1);
        EXPECT_TRUE(bound.IsAudioStream(0));
        EXPECT_EQ(bound.FirstAudioStreamInfo().SampleRate, 44100);
        EXPECT_THROW(bound.Seek(0), EAuException);
        EXPECT_EQ(bound.LastErrMsg(), "file cannot be seeked, handle is readonly.");
        EXPECT_THROW(bound.ReadAudio(nullptr, 4), EAuException);
    }
    // The bound decoder left the input open for its owner.
    EXPECT_EQ(decodeAll(decoder).size(), size_t(3 * 44100 * frameBytes));
}

TEST_F(FFDecoderTest, NothingOpensWithoutTheLibraries)
{
    const auto file = wav();
    decoder.UnloadAVLib();
    EXPECT_FALSE(decoder.AVLibLoaded());
    EXPECT_THROW(decoder.LoadFile(file), EAuException);
    EXPECT_FALSE(decoder.opt_default("probesize", "32"));
    EXPECT_EQ(decoder.LastErrMsg(), "libav not loaded.");
    ASSERT_TRUE(decoder.LoadAVLib({}));
    EXPECT_TRUE(decoder.LoadFile(file));
}

TEST_F(FFDecoderTest, CountsStreamsOfEachKindInAFileWithVideoAndTwoSoundtracks)
{
    AvFixture fixture;
    decoder.SetFileHandle(fixture.file());
    const int video = fixture.indexOf(AVMEDIA_TYPE_VIDEO);
    EXPECT_EQ(decoder.StreamCount(), 3);
    EXPECT_EQ(decoder.VideoStreamCount(), 1);
    EXPECT_EQ(decoder.AudioStreamCount(), 2);
    EXPECT_EQ(decoder.FirstVideoStreamIndex(), video);
    EXPECT_EQ(decoder.FirstAudioStreamIndex(), fixture.indexOf(AVMEDIA_TYPE_AUDIO));
    EXPECT_EQ(decoder.GetAudioStreamInfo(video).Channels, -1);
    EXPECT_EQ(decoder.LastErrMsg(), FormatText("stream #%d is not audio stream.", video));
    EXPECT_EQ(decoder.GetVideoStreamInfo(-1).Width, 64);
    EXPECT_NE(decoder.FileInfoText().find(FormatText("  Stream #%d(eng), 1/1000: Video: mjpeg", video)), std::string::npos)
        << decoder.FileInfoText();
}

TEST_F(FFDecoderTest, OptionsApplyToTheNextLoadOnly)
{
    EXPECT_FALSE(decoder.opt_default("no_such_option", "1"));
    EXPECT_TRUE(decoder.opt_default("probesize", "32"));
    LogCapture log;
    EXPECT_TRUE(decoder.opt_default("framerate", "25"));  // a demuxer option that wav does not have
    ASSERT_TRUE(decoder.LoadFile(wav()));
    EXPECT_TRUE(log.has("Option framerate not found, ignored."));
    log.lines.clear();
    ASSERT_TRUE(decoder.LoadFile(wav()));
    EXPECT_FALSE(log.has("Option framerate not found, ignored."));
}

}  // namespace
