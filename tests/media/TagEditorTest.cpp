#include "media/TagEditor.h"
#include "media/AuException.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::runProgram;

namespace {

// Encodes a short tone into the format of `file`'s extension with a tool other than
// TagLib, so that the tag writer meets files the way other programs write them.
void makeAudio(const fs::path& file, const std::vector<std::string>& lameTags = {})
{
    const fs::path wav = file.parent_path() / "source.wav";
    testsupport::makeTone(wav, 2.0, 44100, 2, { "-b", "16" });
    const std::string ext = file.extension().string();
    std::vector<std::string> argv;
    if (ext == ".mp3") {
        argv = { "lame", "--quiet" };
        argv.insert(argv.end(), lameTags.begin(), lameTags.end());
        argv.insert(argv.end(), { wav.string(), file.string() });
    } else if (ext == ".flac") {
        argv = { "flac", "--silent", "-f", "-o", file.string(), wav.string() };
    } else if (ext == ".ogg") {
        argv = { "oggenc", "--quiet", "-o", file.string(), wav.string() };
    } else {
        const bool m4a = ext == ".m4a";
        argv = { "gst-launch-1.0", "-q", "filesrc", "location=" + wav.string(), "!", "wavparse",
            "!", "audioconvert", "!", m4a ? "avenc_aac" : "avenc_wmav2", "!",
            m4a ? "mp4mux" : "avmux_asf", "!", "filesink", "location=" + file.string() };
    }
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << out;
    fs::remove(wav);
}

struct Tags {
    std::string title, artist, album, genre, year, track;
};

void setTags(TTagEditor& editor, const Tags& tags)
{
    editor.SetTitle(tags.title);
    editor.SetArtist(tags.artist);
    editor.SetAlbum(tags.album);
    editor.SetGenre(tags.genre);
    editor.SetYear(tags.year);
    editor.SetTrack(tags.track);
}

Tags readTags(const fs::path& file)
{
    TTagEditor editor;
    editor.SetFileName(file.string());
    EXPECT_TRUE(editor.Valid()) << file;
    return { editor.Title(), editor.Artist(), editor.Album(), editor.Genre(), editor.Year(),
        editor.Track() };
}

void expectTags(const Tags& actual, const Tags& expected)
{
    EXPECT_EQ(actual.title, expected.title);
    EXPECT_EQ(actual.artist, expected.artist);
    EXPECT_EQ(actual.album, expected.album);
    EXPECT_EQ(actual.genre, expected.genre);
    EXPECT_EQ(actual.year, expected.year);
    EXPECT_EQ(actual.track, expected.track);
}

class TagEditorFormat : public testing::TestWithParam<const char*> { };

TEST_P(TagEditorFormat, SavedTagsReadBackHereAndInAnotherProgram)
{
    testsupport::TempDir dir;
    const fs::path file = dir / (std::string("Grüße – ß") + GetParam());
    makeAudio(file);

    TTagEditor editor;
    editor.SetFileName(file.string());
    ASSERT_TRUE(editor.Valid());
    EXPECT_NEAR(editor.Duration(), 2, 1);
    EXPECT_GT(editor.Bitrate(), 0u);

    const Tags tags { "Tïtle & «quotes»", "Ærtist 日本", "Albüm", "Génre", "2024", "7" };
    setTags(editor, tags);
    editor.Save();
    expectTags(readTags(file), tags);

    std::string out;
    ASSERT_EQ(runProgram({ "gst-discoverer-1.0", "-v", file.string() }, &out), 0) << out;
    for (const auto& text : { tags.title, tags.artist, tags.album, tags.genre })
        EXPECT_NE(out.find(": " + text + "\n"), std::string::npos) << text << "\n" << out;
    EXPECT_NE(out.find("track number: 7"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Formats, TagEditorFormat, testing::Values(".mp3", ".flac", ".ogg", ".m4a"),
    [](const testing::TestParamInfo<const char*>& format) {
        return std::string(format.param + 1);
    });

TEST(TagEditor, YearAndTrackAreWrittenOnlyWhenTheyAreNonNegativeNumbers)
{
    testsupport::TempDir dir;
    struct Case {
        const char* year;
        const char* track;
        const char* readYear;
        const char* readTrack;
    };
    const Case cases[] = {
        { "1987", "12", "1987", "12" },
        { "nineteen", "3", "1999", "3" },
        { "-5", "x", "1999", "4" },
        { "", "", "1999", "4" },
        { "20 24", "4/9", "1999", "4" },
    };
    for (const auto& c : cases) {
        const fs::path file = dir / "numbers.mp3";
        fs::remove(file);
        makeAudio(file, { "--ty", "1999", "--tn", "4", "--tt", "Old" });
        TTagEditor editor;
        editor.SetFileName(file.string());
        editor.SetTitle("New");
        editor.SetYear(c.year);
        editor.SetTrack(c.track);
        editor.Save();
        const Tags read = readTags(file);
        EXPECT_EQ(read.title, "New") << c.year;
        EXPECT_EQ(read.year, c.readYear) << c.year;
        EXPECT_EQ(read.track, c.readTrack) << c.track;
    }
}

TEST(TagEditor, EmptyTextsClearTheirFieldsAndMissingNumbersReadAsZero)
{
    testsupport::TempDir dir;
    const fs::path file = dir / "clear.mp3";
    makeAudio(file, { "--tt", "Title", "--ta", "Artist", "--tl", "Album", "--tg", "Rock" });
    expectTags(readTags(file), { "Title", "Artist", "Album", "Rock", "0", "0" });

    TTagEditor editor;
    editor.SetFileName(file.string());
    setTags(editor, {});
    editor.Save();
    expectTags(readTags(file), { "", "", "", "", "0", "0" });
}

TEST(TagEditor, UnhandledOrUnreadableFilesAreNotValidAndNotTouched)
{
    testsupport::TempDir dir;
    const fs::path wav = dir / "tone.wav";
    testsupport::makeTone(wav, 1.0);
    const fs::path garbage = dir / "garbage.flac";
    testsupport::writeFile(garbage, std::string(5000, 'x'));

    for (const fs::path& file : { wav, garbage, dir / "missing.ogg" }) {
        TTagEditor editor;
        editor.SetTitle("stale");
        editor.SetFileName(file.string());
        EXPECT_FALSE(editor.Valid()) << file;
        EXPECT_EQ(editor.Title(), "") << file;
        EXPECT_EQ(editor.Year(), "") << file;
        EXPECT_EQ(editor.Duration(), 0u);
        EXPECT_EQ(editor.Bitrate(), 0u);
    }

    TTagEditor editor;
    editor.SetFileName(garbage.string());
    editor.SetTitle("Title");
    EXPECT_NO_THROW(editor.Save());
    EXPECT_EQ(testsupport::readFile(garbage), std::string(5000, 'x'));
}

TEST(TagEditor, ExtensionIsComparedInLowerCase)
{
    testsupport::TempDir dir;
    const fs::path file = dir / "LOUD.MP3";
    makeAudio(dir / "loud.mp3", { "--tt", "Loud" });
    fs::rename(dir / "loud.mp3", file);
    EXPECT_EQ(readTags(file).title, "Loud");
    EXPECT_FALSE(TTagEditor::IsHandledType("a.wav"));
    EXPECT_TRUE(TTagEditor::IsHandledType("a.Wv"));
}

TEST(TagEditor, SaveLeavesWmaFilesAlone)
{
    testsupport::TempDir dir;
    const fs::path file = dir / "clip.wma";
    makeAudio(file);
    const std::string before = testsupport::readFile(file);

    TTagEditor editor;
    editor.SetFileName(file.string());
    EXPECT_TRUE(editor.Valid());
    setTags(editor, { "T", "A", "B", "G", "2000", "1" });
    EXPECT_NO_THROW(editor.Save());
    EXPECT_EQ(testsupport::readFile(file), before);
}

// An immutable file cannot be opened for writing even by root.
class ImmutableFile {
public:
    explicit ImmutableFile(fs::path file)
        : m_file(std::move(file))
        , m_set(runProgram({ "chattr", "+i", m_file.string() }) == 0)
    {
    }
    ~ImmutableFile()
    {
        if (m_set)
            runProgram({ "chattr", "-i", m_file.string() });
    }
    bool set() const { return m_set; }

private:
    fs::path m_file;
    bool m_set;
};

TEST(TagEditor, SaveThatCannotWriteRaises)
{
    testsupport::TempDir dir;
    const fs::path file = dir / "locked.flac";
    makeAudio(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    ImmutableFile locked(file);
    if (!locked.set() && geteuid() == 0)
        GTEST_SKIP() << "cannot make a file unwritable for root here";

    TTagEditor editor;
    editor.SetFileName(file.string());
    ASSERT_TRUE(editor.Valid());
    editor.SetTitle("Never");
    try {
        editor.Save();
        FAIL() << "Save reported success";
    } catch (const EAuException& e) {
        EXPECT_STREQ(e.what(), "Failed to save tags");
    }
}

} // namespace
