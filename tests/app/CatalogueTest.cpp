#include "app/Catalogue.h"
#include "app/Decryptor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using testsupport::TempDir;

namespace {

std::string scrambled(const QByteArray& plain)
{
    return Complemented(plain).toStdString();
}

QString q(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

} // namespace

TEST(ChoiceList, SplitsValuesAndTextsByPosition)
{
    struct Case {
        QString list;
        QStringList values;
        QStringList texts;
    } cases[] = {
        { "44100$44.1 kHz,48000$48 kHz", { "44100", "48000" }, { "44.1 kHz", "48 kHz" } },
        { "", {}, { "" } },
        { "a,b", {}, { "a", "b" } },
        { " 1$ Mono", { " 1" }, { " Mono" } },
        { "x$", { "x" }, { "" } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitChoiceList(c.list, true), c.values) << c.list.toStdString();
        EXPECT_EQ(SplitChoiceList(c.list, false), c.texts) << c.list.toStdString();
    }
    EXPECT_EQ(ChoiceIndex("44100$44.1 kHz,48000$48 kHz", "48000"), 1);
    EXPECT_EQ(ChoiceIndex("44100$44.1 kHz,48000$48 kHz", "22050"), -1);
}

TEST(ProfileLine, KeyAndValueFromTheirDelimiters)
{
    struct Case {
        QString line;
        QString key;
        QString value;
    } cases[] = {
        { R"(<formatext value=".mp3">)", "formatext", ".mp3" },
        { R"(<samplerate any text here "48000">)", "samplerate", "48000" },
        { R"(<samplerate="48000">)", "", "48000" },
        { R"(<Profile>)", "", "" },
        { R"(<channel value="2)", "channel", "" },
        { R"(no angle "x" here)", "", "x" },
        { R"(<a "b" "c">)", "a", "b" },
    };
    for (const Case& c : cases) {
        QString key, value;
        ParseProfileLine(c.line, key, value);
        EXPECT_EQ(key, c.key) << c.line.toStdString();
        EXPECT_EQ(value, c.value) << c.line.toStdString();
    }
}

TEST(Catalogue, LayoutRules)
{
    const TProfiles profiles = ParseCatalogue({
        "<ProfileSet>",
        "\t<Profile>  ",
        R"(<PROFILENAME value="One">)",
        R"(<SampleRate anything "44100">)",
        R"(<samplerate="99">)",
        R"(<audiobitrate value="64000">)",
        R"(<audiobitrate value="128000">)",
        R"(<unknownkey value="x">)",
        "<profile>",
        R"(<ExtraParam value="-vn -sn -dn">)",
        "</Profile>",
        "<Profile>",
        R"(<profilename value="Two">)",
        "</ProfileSet>",
        "<Profile>",
        R"(<profilename value="after the end">)",
    });
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].Title, "One");
    EXPECT_EQ(profiles[0].SampleRate, "44100");
    EXPECT_EQ(profiles[0].AudioBitRate, "128000");
    EXPECT_EQ(profiles[0].StandardAudioBitRate, "128000");
    EXPECT_EQ(profiles[0].ExtraParam, "-vn -sn -dn");
    EXPECT_EQ(profiles[1].Title, "Two");

    // Without the closing line every line is read.
    EXPECT_EQ(ParseCatalogue({ "<Profile>", "<Profile>", "<Profile>" }).size(), 3u);
    EXPECT_TRUE(ParseCatalogue({ "<ProfileSet>", "garbage", "" }).empty());
}

TEST(Catalogue, KeyLineBeforeTheFirstProfileFails)
{
    EXPECT_THROW(ParseCatalogue({ "<ProfileSet>", R"(<formatext value=".mp3">)", "<Profile>" }),
        std::runtime_error);
    // A lower-case profile line does not open a profile either.
    EXPECT_THROW(
        ParseCatalogue({ "<profile>", R"(<formatext value=".mp3">)" }), std::runtime_error);
}

TEST(Decryptor, ReadsEveryEncodingAndLineBreak)
{
    TempDir dir;
    const QString umlaut = QString::fromUtf8("Stéréo «5.1»");
    struct Case {
        const char* name;
        QByteArray plain;
    } cases[] = {
        { "utf8", ("a\r\nb\rc\n" + umlaut + "\n").toUtf8() },
        { "utf8bom", "\xEF\xBB\xBF" + ("a\r\nb\rc\n" + umlaut).toUtf8() },
        { "utf16le",
            [&] {
                QByteArray b("\xFF\xFE", 2);
                const QString text = "a\r\nb\rc\n" + umlaut;
                b.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
                return b;
            }() },
    };
    for (const Case& c : cases) {
        testsupport::writeFile(dir / c.name, scrambled(c.plain));
        QStringList lines;
        ReadDecrypted(q(dir / c.name), lines);
        EXPECT_EQ(lines, QStringList({ "a", "b", "c", umlaut })) << c.name;
    }
    QStringList lines;
    EXPECT_THROW(ReadDecrypted(q(dir / "missing.dat"), lines), std::runtime_error);
}

TEST(Decryptor, ScramblerAndReaderRoundTrip)
{
    TempDir dir;
    const std::string plain = "<Profile>\n<profilename value=\"Ünïcødé ♪\">\n";
    testsupport::writeFile(dir / "plain.txt", plain);
    const auto scrambler = testsupport::programDir().parent_path() / "tools" / "quaverly-scramble";
    ASSERT_EQ(testsupport::runProgram(
                  { scrambler.string(), (dir / "plain.txt").string(), (dir / "out.dat").string() }),
        0);
    const std::string stored = testsupport::readFile(dir / "out.dat");
    ASSERT_EQ(stored.size(), plain.size());
    EXPECT_EQ(stored.find("Profile"), std::string::npos);
    const TProfiles profiles = LoadCatalogue(q(dir / "out.dat"));
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0].Title, QString::fromUtf8("Ünïcødé ♪"));
}
