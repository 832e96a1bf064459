#include "app/StoredSettings.h"
#include "support/TestSupport.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

using testsupport::TempDir;

namespace {

// A user settings store in a scratch config folder, as the program opens it.
class StoredSettingsTest : public testing::Test {
protected:
    StoredSettingsTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
            QString::fromStdString(config.path().string()));
    }

    static std::unique_ptr<QSettings> store()
    {
        return std::make_unique<QSettings>(
            QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication));
    }

    static TProfiles profiles()
    {
        TProfile p;
        p.AudioCodecs = "libmp3lame$MP3";
        p.AudioCodecName = "libmp3lame";
        p.AudioBitRates = "64000$64,128000$128";
        p.AudioBitRate = "128000";
        p.SampleRates = "44100$44.1,48000$48";
        p.SampleRate = "44100";
        p.Channels = "1$Mono,2$Stereo";
        p.Channel = "2";
        return { p, p, p };
    }

    TempDir config;
    TempDir folders;
};

} // namespace

TEST_F(StoredSettingsTest, RoundTripOfEveryValue)
{
    TProfiles edited = profiles();
    edited[1].AudioBitRate = "64000";
    edited[1].SampleRate = "48000";
    edited[1].Channel = "1";
    TStoredSettings values;
    values.OutputPath = QString::fromUtf8("/tmp/Ausgabe ♪");
    values.OpenAudioDialogPath = QString::fromStdString(folders.path().string());
    values.RecentProfileIndex = 2;
    values.LastEditedProfileIndex = 1;
    TakeLastEditedProfile(values, edited);
    {
        auto s = store();
        ASSERT_TRUE(WriteStoredSettings(*s, values));
    }
    EXPECT_TRUE(std::filesystem::exists(config / "Larkspire/Quaverly.conf"));

    auto s = store();
    const TStoredSettings back = ReadStoredSettings(*s, 3);
    EXPECT_EQ(back.OutputPath, values.OutputPath);
    EXPECT_EQ(back.OpenAudioDialogPath, values.OpenAudioDialogPath);
    EXPECT_EQ(back.RecentProfileIndex, 2);
    EXPECT_EQ(back.LastEditedProfileIndex, 1);
    TProfiles restored = profiles();
    RestoreLastEditedProfile(back, restored);
    EXPECT_EQ(restored[1].AudioBitRate, "64000");
    EXPECT_EQ(restored[1].SampleRate, "48000");
    EXPECT_EQ(restored[1].Channel, "1");
    EXPECT_EQ(restored[0].AudioBitRate, "128000");
}

TEST_F(StoredSettingsTest, UnsetValuesAreNotWritten)
{
    {
        auto s = store();
        s->setValue("OpenAudioDialogPath", "/kept");
    }
    TStoredSettings values;
    values.OutputPath = QString("/out");
    {
        auto s = store();
        ASSERT_TRUE(WriteStoredSettings(*s, values));
    }
    auto s = store();
    EXPECT_EQ(s->value("OpenAudioDialogPath").toString(), "/kept");
    EXPECT_FALSE(s->contains("lasteditedprofileind"));
    EXPECT_FALSE(s->contains("audiobitrate"));
    EXPECT_EQ(s->value("recentprofileind").toString(), "0");
}

TEST_F(StoredSettingsTest, WrongTypesAndInvalidIndexesFallBack)
{
    struct Case {
        QVariant recent;
        QVariant lastEdited;
        int expectRecent;
        int expectLastEdited;
    } cases[] = {
        { "abc", "x1", 0, -1 },
        { 7, 3, 0, -1 },
        { -2, -5, 0, -1 },
        { QStringList { "1", "2" }, QVariant(), 0, -1 },
        { "2", "0", 2, 0 },
    };
    for (const Case& c : cases) {
        {
            auto s = store();
            s->clear();
            s->setValue("recentprofileind", c.recent);
            if (c.lastEdited.isValid())
                s->setValue("lasteditedprofileind", c.lastEdited);
            s->setValue("OutputPath", QStringList { "a", "b" });
            s->setValue("samplerate", "12345");
        }
        auto s = store();
        const TStoredSettings back = ReadStoredSettings(*s, 3);
        EXPECT_EQ(back.RecentProfileIndex, c.expectRecent) << c.recent.toString().toStdString();
        EXPECT_EQ(back.LastEditedProfileIndex, c.expectLastEdited);
        EXPECT_FALSE(back.OutputPath.has_value());
        // A stored value that is not one of the profile's choices is not restored.
        TProfiles restored = profiles();
        RestoreLastEditedProfile(back, restored);
        EXPECT_EQ(restored[0].SampleRate, "44100");
    }
}

TEST_F(StoredSettingsTest, DialogFolderThatNoLongerExistsReadsEmpty)
{
    {
        auto s = store();
        s->setValue("OpenAudioDialogPath", QString::fromStdString((folders / "gone").string()));
    }
    auto s = store();
    const TStoredSettings back = ReadStoredSettings(*s, 1);
    ASSERT_TRUE(back.OpenAudioDialogPath.has_value());
    EXPECT_TRUE(back.OpenAudioDialogPath->isEmpty());
}
