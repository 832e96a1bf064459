#include "media/ErrorText.h"

extern "C" {
#include <libavutil/error.h>
}

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorText, NamesLibraryAndSystemCodes)
{
    const std::pair<int, std::string> cases[] = {
        { AVERROR_OPTION_NOT_FOUND, "Option not found" },
        { AVERROR_EOF, "End of file" },
        { AVERROR_INVALIDDATA, "Invalid data found when processing input" },
        { AVERROR_BUG, "Internal bug" },
        { AVERROR_PATCHWELCOME, "Not yet implemented in FFmpeg, patches welcome" },
        { AVERROR(ENOENT), "No such file or directory" },
        { AVERROR(EACCES), "Permission denied" },
        { AVERROR(ENOSPC), "No space left on device" },
        { AVERROR(EINVAL), "Invalid argument" },
        { -3999, "Error number -3999 occurred" },
        { 7, "Error number 7 occurred" },
        { 0, "Error number 0 occurred" },
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(ErrorText(code), text) << code;
}

TEST(ErrorText, PrefixesTheText)
{
    EXPECT_EQ(ErrorText("song.mp3", AVERROR(ENOENT)), "song.mp3: No such file or directory");
    EXPECT_EQ(ErrorText("check_stream_specifier", -22), "check_stream_specifier: Invalid argument");
}

} // namespace
