#include "media/FFmpegException.h"
#include "media/LastParseError.h"
#include "media/OptionParser.h"

#include "AvFixture.h"

#include <gtest/gtest.h>

namespace {

// Mapping options checked against one opened input with a video and two audio
// streams.
class OptionMap : public AvFixtureSuite {
protected:
    void SetUp() override
    {
        parser.SetInputFiles([](int index) -> const AVFormatContext* {
            return index == 0 ? input->file() : nullptr;
        });
        video = input->indexOf(AVMEDIA_TYPE_VIDEO);
        audio0 = input->indexOf(AVMEDIA_TYPE_AUDIO, 0);
        audio1 = input->indexOf(AVMEDIA_TYPE_AUDIO, 1);
    }

    // The message of the failure, or "" on success.
    std::string Apply(const std::string& name, const std::string& value)
    {
        return parser.ApplyOption(name, &value) < 0 ? LastParseError() : std::string();
    }

    TOptionParser parser;
    int video = -1, audio0 = -1, audio1 = -1;
};

TEST_F(OptionMap, MapsStreamsWithOptionalSync)
{
    ASSERT_EQ(Apply("map", "0:a"), "");
    ASSERT_EQ(Apply("map", "0:v,0:a:1"), "");
    const auto& maps = parser.Context().stream_maps;
    ASSERT_EQ(maps.size(), 3u);
    EXPECT_EQ(maps[0].stream_index, audio0);
    EXPECT_EQ(maps[0].sync_stream_index, audio0);
    EXPECT_EQ(maps[1].stream_index, audio1);
    EXPECT_EQ(maps[2].stream_index, video);
    EXPECT_EQ(maps[2].sync_file_index, 0);
    EXPECT_EQ(maps[2].sync_stream_index, audio1);

    ASSERT_EQ(Apply("map", "-0:a:0"), "");
    EXPECT_EQ(maps[0].disabled, 1);
    EXPECT_EQ(maps[1].disabled, 0);
}

TEST_F(OptionMap, ReportsMapsThatMatchNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        { "1", "Invalid input file index: 1." },
        { "0:s", "Stream map \"0:s\" matches no streams." },
        { "0,3", "Invalid sync file index: 3." },
        { "0,0:s", "Sync stream specification in map 0,0:s does not match any streams." },
    };
    for (const auto& [value, message] : cases)
        EXPECT_EQ(Apply("map", value),
            std::string(message) + "\r\nFailed to set value \"" + value + "\" for option \"map\"")
            << value;
    EXPECT_TRUE(parser.Context().stream_maps.empty());
}

TEST_F(OptionMap, MapsAudioChannels)
{
    const std::string at = std::to_string(audio0);
    ASSERT_EQ(Apply("map_channel", "0." + at + ".1"), "");
    ASSERT_EQ(Apply("map_channel", "0." + at + ".0:0.1"), "");
    ASSERT_EQ(Apply("map_channel", "-1:0.1"), "");
    const auto& maps = parser.Context().audio_channel_maps;
    ASSERT_EQ(maps.size(), 3u);
    EXPECT_EQ(maps[0].channel_idx, 1);
    EXPECT_EQ(maps[0].ofile_idx, -1);
    EXPECT_EQ(maps[1].ostream_idx, 1);
    EXPECT_EQ(maps[2].file_idx, -1);
    EXPECT_EQ(maps[2].ostream_idx, 1);

    const std::string v = std::to_string(video);
    const std::pair<std::string, std::string> failures[] = {
        { "0.9.0", "mapchan: invalid input file stream index #0.9" },
        { "0." + v + ".0", "mapchan: stream #0." + v + " is not an audio stream." },
        { "0." + at + ".7", "mapchan: invalid audio channel #0." + at + ".7" },
        { "0." + at + ".0x",
            "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]" },
    };
    for (const auto& [value, message] : failures)
        EXPECT_EQ(Apply("map_channel", value).substr(0, message.size()), message) << value;
    // A refused map leaves nothing behind for the output to trip over.
    EXPECT_EQ(maps.size(), 3u);
}

} // namespace
