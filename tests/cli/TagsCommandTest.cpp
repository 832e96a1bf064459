#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::runProgram;

namespace {

int runTags(const std::vector<std::string>& args, std::string* out)
{
    std::vector<std::string> argv { (testsupport::programDir() / "quaverly-cli").string(), "tags" };
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, out);
}

fs::path makeMp3(const testsupport::TempDir& dir, const std::string& name)
{
    const fs::path wav = dir / "tone.wav";
    testsupport::makeTone(wav, 1.0, 44100, 2, { "-b", "16" });
    const fs::path mp3 = dir / name;
    std::string out;
    EXPECT_EQ(runProgram(
                  { "lame", "--quiet", "--ta", "Band", "--ty", "1990", wav.string(), mp3.string() },
                  &out),
        0)
        << out;
    return mp3;
}

TEST(TagsCommand, WritesTheGivenTagsAndKeepsTheOthers)
{
    testsupport::TempDir dir;
    const fs::path mp3 = makeMp3(dir, "Lied für dich.mp3");
    std::string out;
    ASSERT_EQ(
        runTags({ "--title", "Ünïcode & more", "--track=3", "--year", "soon", mp3.string() }, &out),
        0)
        << out;

    ASSERT_EQ(runTags({ mp3.string() }, &out), 0) << out;
    for (const char* line : { "File: ", "  Title: Ünïcode & more\n", "  Artist: Band\n",
             "  Album: \n", "  Year: 1990\n", "  Track: 3\n", "  Duration: 1 s\n", " kb/s\n" })
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

TEST(TagsCommand, ReportsFilesItCannotHandleAndGoesOn)
{
    testsupport::TempDir dir;
    const fs::path mp3 = makeMp3(dir, "good.mp3");
    const fs::path wav = dir / "tone.wav";
    const fs::path wma = dir / "clip.wma";
    std::string made;
    ASSERT_EQ(runProgram({ "gst-launch-1.0", "-q", "filesrc", "location=" + wav.string(), "!",
                             "wavparse", "!", "audioconvert", "!", "avenc_wmav2", "!", "avmux_asf",
                             "!", "filesink", "location=" + wma.string() },
                  &made),
        0)
        << made;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* expected;
    };
    const Case cases[] = {
        { { wav.string(), mp3.string() }, 1, "tone.wav: no readable tags" },
        { { (dir / "missing.ogg").string() }, 1, "missing.ogg: no readable tags" },
        { { "--genre", "Pop", wma.string() }, 1,
            "clip.wma: tags of this file type are not written" },
        { {}, 2, "Usage: quaverly-cli tags" },
        { { "--colour", "red", mp3.string() }, 2, "unknown option --colour" },
        { { mp3.string(), "--title" }, 2, "--title needs a value" },
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(runTags(c.args, &out), c.status) << out;
        EXPECT_NE(out.find(c.expected), std::string::npos) << c.expected << "\n" << out;
    }
    std::string out;
    runTags({ wav.string(), mp3.string() }, &out);
    EXPECT_NE(out.find("Artist: Band"), std::string::npos) << out;
}

} // namespace
