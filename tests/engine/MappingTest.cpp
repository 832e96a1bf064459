// Channel maps, tags, chapters and attachments: what an output takes from its inputs
// besides the samples.

#include "JobRunner.h"
#include "MediaCheck.h"
#include "engine/FFmpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::runProgram;
using testsupport::TempDir;

namespace {

struct TInput {
    fs::path file;
    std::string options;
};

// One job built from option strings as the application builds it; "" when it finished,
// else its message.
std::string Convert(
    const std::vector<TInput>& AInputs, const fs::path& AOut, const std::string& AOptions)
{
    TFFmpeg job;
    for (const TInput& in : AInputs)
        if (job.AddInput(in.file.string(), { in.file.string(), in.options, "", 0, nullptr }) < 0)
            return job.FLastErrMsg;
    if (job.SetOutput(AOut.string(), MakeOutputOptions(AOut.string(), AOptions, "")) < 0)
        return job.FLastErrMsg;
    job.StartConvert();
    return job.Finished() ? "" : job.FatalMessage();
}

void Sox(const std::vector<std::string>& AArgs)
{
    std::vector<std::string> argv { "sox", "-n", "-r", "44100", "-b", "16" };
    argv.insert(argv.end(), AArgs.begin(), AArgs.end());
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << out;
}

void Mkvmerge(const std::vector<std::string>& AArgs)
{
    std::vector<std::string> argv { "mkvmerge", "-q" };
    argv.insert(argv.end(), AArgs.begin(), AArgs.end());
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << out;
}

// The tone of each channel in Hz, from its zero crossings; 0 for a silent channel.
std::vector<int> ChannelTones(const fs::path& AFile)
{
    TDecodedAudio a = DecodeAudio(AFile, true);
    std::vector<int> tones;
    for (int c = 0; c < a.channels; ++c) {
        int crossings = 0;
        for (size_t i = c + a.channels; i < a.pcm.size(); i += a.channels)
            crossings += (a.pcm[i - a.channels] < 0) != (a.pcm[i] < 0);
        tones.push_back(static_cast<int>(std::lround(crossings / (2 * a.seconds()) / 10) * 10));
    }
    return tones;
}

// A file opened by the library, closed when this goes.
struct TOpened {
    explicit TOpened(const fs::path& AFile)
    {
        if (avformat_open_input(&ctx, AFile.c_str(), nullptr, nullptr) == 0)
            avformat_find_stream_info(ctx, nullptr);
    }
    ~TOpened() { avformat_close_input(&ctx); }
    std::string Tag(const AVDictionary* ADict, const char* AKey) const
    {
        const AVDictionaryEntry* e = av_dict_get(ADict, AKey, nullptr, 0);
        return e ? e->value : "";
    }
    AVFormatContext* ctx = nullptr;
};

TEST(MappingTest, ChannelMapPicksMutesAndSelectsChannels)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "lr.wav").string(), "synth", "2", "sine", "440", "sine", "1000" });
    Sox({ "-c", "3", (dir / "three.wav").string(), "synth", "2", "sine", "300", "sine", "600",
        "sine", "1200" });
    struct {
        const char* input;
        const char* output;
        const char* options;
        std::vector<int> tones;
        const char* logged;
    } cases[] = {
        { "lr.wav", "swapped.wav", "-map_channel 0.0.1 -map_channel 0.0.0", { 1000, 440 },
            "[ch: 1 0]" },
        { "lr.wav", "muted.wav", "-map_channel -1 -map_channel 0.0.0", { 0, 440 }, "[ch: M 0]" },
        { "three.wav", "two.flac", "-map_channel 0.0.2 -map_channel 0.0.0", { 1200, 300 },
            "[ch: 2 0]" },
        // A planar encoder format on the way.
        { "lr.wav", "swapped.ogg", "-map_channel 0.0.1 -map_channel 0.0.0", { 1000, 440 },
            "[ch: 1 0]" },
    };
    for (const auto& c : cases) {
        TLogCapture log;
        ASSERT_EQ(Convert({ { dir / c.input, "" } }, dir / c.output, c.options), "") << c.output;
        EXPECT_EQ(ChannelTones(dir / c.output), c.tones) << c.output;
        EXPECT_TRUE(log.Contains(std::string("  Stream #0:0 -> #0:0 ") + c.logged)) << c.output;
    }
}

TEST(MappingTest, ChannelMapErrors)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "lr.wav").string(), "synth", "1", "sine", "440" });
    auto repeated = [](int ACount) {
        std::string options;
        for (int i = 0; i < ACount; ++i)
            options += " -map_channel 0.0.0";
        return options;
    };
    struct {
        std::string options;
        const char* message;
        const char* logged;
    } cases[] = {
        { repeated(17), "Max channel mapping for output 0.0 reached", nullptr },
        // No channel layout has nine channels.
        { repeated(9),
            "Unable to find an appropriate channel layout for requested number of channel",
            nullptr },
        { "-map_channel 1.0.0", nullptr, "mapchan: invalid input file index: 1" },
    };
    for (const auto& c : cases) {
        TLogCapture log;
        std::string error = Convert({ { dir / "lr.wav", "" } }, dir / "out.wav", c.options);
        ASSERT_NE(error, "") << c.options;
        if (c.message) {
            EXPECT_EQ(error, c.message);
        }
        if (c.logged) {
            EXPECT_TRUE(log.Contains(c.logged)) << error;
        }
        EXPECT_FALSE(fs::exists(dir / "out.wav"));
    }
}

TEST(MappingTest, MetadataMapsChooseWhereTagsComeFrom)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "tone.wav").string(), "synth", "1", "sine", "440" });
    for (auto [name, title] : { std::pair { "a.flac", "First" }, { "b.flac", "Second" } }) {
        std::string out;
        ASSERT_EQ(runProgram({ "flac", "-s", "-f", "--tag=TITLE=" + std::string(title),
                                 "--tag=ARTIST=" + std::string(title) + " Artist",
                                 (dir / "tone.wav").string(), "-o", (dir / name).string() },
                      &out),
            0)
            << out;
    }
    struct {
        const char* options;
        const char* title;
        const char* artist;
        const char* error;
    } cases[] = {
        { "", "First", "First Artist", "" },
        { "-map_metadata 1", "Second", "Second Artist", "" },
        { "-map_metadata -1", "", "", "" },
        { "-map_metadata 1 -metadata title=Mine -metadata artist=", "Mine", "", "" },
        { "-map_metadata 5", "", "", "Invalid input file index 5 while processing metadata maps" },
        { "-map_metadata 0:s:3", "", "", "Invalid stream index 3 while processing metadata maps" },
        { "-metadata:c:0 title=X", "", "", "Invalid chapter index 0 in metadata specifier." },
        { "-metadata:s:9 title=X", "", "", "Invalid stream index 9 in metadata specifier." },
    };
    for (const auto& c : cases) {
        fs::remove(dir / "out.flac");
        std::string error = Convert(
            { { dir / "a.flac", "" }, { dir / "b.flac", "" } }, dir / "out.flac", c.options);
        ASSERT_EQ(error, c.error) << c.options;
        if (*c.error)
            continue;
        TOpened out(dir / "out.flac");
        ASSERT_TRUE(out.ctx) << c.options;
        EXPECT_EQ(out.Tag(out.ctx->metadata, "title"), c.title) << c.options;
        EXPECT_EQ(out.Tag(out.ctx->metadata, "artist"), c.artist) << c.options;
    }
}

TEST(MappingTest, ChaptersFollowTheSource)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "tone.wav").string(), "synth", "3", "sine", "440" });
    testsupport::writeFile(dir / "chapters.txt",
        "CHAPTER01=00:00:00.000\nCHAPTER01NAME=Intro\nCHAPTER02=00:00:01.000\nCHAPTER02NAME="
        "Main\n");
    Mkvmerge({ "-o", (dir / "src.mka").string(), "--chapters", (dir / "chapters.txt").string(),
        (dir / "tone.wav").string() });
    struct {
        const char* input;
        const char* options;
        std::vector<std::pair<std::string, double>> chapters; // title, start
        const char* error;
    } cases[] = {
        { "", "", { { "Intro", 0.0 }, { "Main", 1.0 } }, "" },
        // A trimmed input moves its chapters with it.
        { "-ss_microsecond 500000", "", { { "Intro", 0.0 }, { "Main", 0.5 } }, "" },
        { "-ss_microsecond 1500000", "", { { "Main", 0.0 } }, "" },
        // A chapter that starts after the duration limit is left out.
        { "", "-t_microsecond 800000", { { "Intro", 0.0 } }, "" },
        { "", "-map_chapters -1", {}, "" },
        { "", "-map_chapters 3", {}, "Invalid input file index 3 in chapter mapping." },
    };
    for (const auto& c : cases) {
        fs::remove(dir / "out.mka");
        std::string error = Convert({ { dir / "src.mka", c.input } }, dir / "out.mka", c.options);
        ASSERT_EQ(error, c.error) << c.input << c.options;
        if (*c.error)
            continue;
        TOpened out(dir / "out.mka");
        ASSERT_TRUE(out.ctx);
        ASSERT_EQ(out.ctx->nb_chapters, c.chapters.size()) << c.input << c.options;
        for (size_t i = 0; i < c.chapters.size(); ++i) {
            const AVChapter* ch = out.ctx->chapters[i];
            EXPECT_EQ(out.Tag(ch->metadata, "title"), c.chapters[i].first);
            EXPECT_NEAR(ch->start * av_q2d(ch->time_base), c.chapters[i].second, 0.001);
        }
    }
}

TEST(MappingTest, AttachmentsGoIntoTheOutput)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "tone.wav").string(), "synth", "1", "sine", "440" });
    fs::path notes = dir / "notes.txt";
    testsupport::writeFile(notes, "liner notes\n");
    Mkvmerge({ "-o", (dir / "src.mka").string(), "--attachment-mime-type", "text/plain",
        "--attach-file", notes.string(), (dir / "tone.wav").string() });
    struct {
        const char* input;
        std::string options;
        std::string logged;
    } cases[] = {
        { "tone.wav", "-attach " + notes.string() + " -metadata:s:t mimetype=text/plain",
            "  File " + notes.string() + " -> Stream #0:1" },
        // An input's attachment taken over by a map.
        { "src.mka", "-map 0:a -map 0:t", "  File notes.txt -> Stream #0:1" },
    };
    for (const auto& c : cases) {
        TLogCapture log;
        fs::remove(dir / "out.mka");
        ASSERT_EQ(Convert({ { dir / c.input, "" } }, dir / "out.mka", c.options), "") << c.input;
        EXPECT_TRUE(log.Contains(c.logged)) << c.input;
        TOpened out(dir / "out.mka");
        ASSERT_TRUE(out.ctx);
        ASSERT_EQ(out.ctx->nb_streams, 2u);
        const AVStream* st = out.ctx->streams[1];
        EXPECT_EQ(st->codecpar->codec_type, AVMEDIA_TYPE_ATTACHMENT);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(st->codecpar->extradata),
                      st->codecpar->extradata_size),
            "liner notes\n");
        EXPECT_EQ(out.Tag(st->metadata, "filename"), "notes.txt");
        EXPECT_EQ(out.Tag(st->metadata, "mimetype"), "text/plain");
        EXPECT_NEAR(DecodeAudio(dir / "out.mka").seconds(), 1.0, 0.05) << c.input;
    }
    EXPECT_EQ(Convert({ { dir / "tone.wav", "" } }, dir / "missing.mka",
                  "-attach " + (dir / "none.txt").string()),
        "Could not open attachment file " + (dir / "none.txt").string() + ".");
    EXPECT_FALSE(fs::exists(dir / "missing.mka"));
}

TEST(MappingTest, StreamIdSetsTheOutputStreamId)
{
    TempDir dir;
    Sox({ "-c", "2", (dir / "tone.wav").string(), "synth", "1", "sine", "440" });
    ASSERT_EQ(Convert({ { dir / "tone.wav", "" } }, dir / "out.ts", "-streamid 0:333"), "");
    TOpened out(dir / "out.ts");
    ASSERT_TRUE(out.ctx);
    ASSERT_EQ(out.ctx->nb_streams, 1u);
    EXPECT_EQ(out.ctx->streams[0]->id, 333);
}

TEST(MappingTest, DumpedAttachmentStaysInTheWorkingFolder)
{
    TempDir dir;
    fs::create_directory(dir / "work");
    Sox({ "-c", "2", (dir / "tone.wav").string(), "synth", "1", "sine", "440" });
    testsupport::writeFile(dir / "notes.txt", "liner notes\n");
    // The file names its attachment with a path that climbs out of the folder.
    Mkvmerge({ "-o", (dir / "src.mka").string(), "--attachment-name", "../escaped.txt",
        "--attachment-mime-type", "text/plain", "--attach-file", (dir / "notes.txt").string(),
        (dir / "tone.wav").string() });
    fs::path previous = fs::current_path();
    fs::current_path(dir / "work");
    std::string asked
        = Convert({ { dir / "src.mka", "-dump_attachment:t asked.txt" } }, dir / "a.wav", "");
    std::string tagged
        = Convert({ { dir / "src.mka", "-dump_attachment:t \"\"" } }, dir / "b.wav", "");
    fs::current_path(previous);
    ASSERT_EQ(asked, "");
    ASSERT_EQ(tagged, "");
    EXPECT_EQ(testsupport::readFile(dir / "work" / "asked.txt"), "liner notes\n");
    EXPECT_EQ(testsupport::readFile(dir / "work" / "escaped.txt"), "liner notes\n");
    EXPECT_FALSE(fs::exists(dir / "escaped.txt"));
}

} // namespace
