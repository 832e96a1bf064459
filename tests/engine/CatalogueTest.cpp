#include "MediaCheck.h"
#include "engine/FFmpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace {

using TProfile = std::map<std::string, std::string>;

// The shipped catalogue's source: one `<key value="...">` line per setting.
std::vector<TProfile> ReadCatalogue()
{
    std::ifstream in(std::string(QUAVERLY_SOURCE_DIR) + "/data/profiles/formats.txt");
    std::vector<TProfile> profiles;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("<Profile>") != std::string::npos)
            profiles.emplace_back();
        auto open = line.find('<');
        auto value = line.find(" value=\"");
        if (profiles.empty() || open == std::string::npos || value == std::string::npos)
            continue;
        auto end = line.rfind('"');
        profiles.back()[line.substr(open + 1, value - open - 1)]
            = line.substr(value + 8, end - value - 8);
    }
    return profiles;
}

TEST(CatalogueTest, EveryShippedProfileConvertsAWav)
{
    testsupport::TempDir dir;
    auto in = dir / "in.wav";
    testsupport::makeTone(in, 2.0, 44100, 2, { "-b", "16" });
    auto profiles = ReadCatalogue();
    ASSERT_FALSE(profiles.empty());
    for (auto& p : profiles) {
        auto out = dir / ("out" + p["formatext"]);
        // The options a conversion run builds from a profile.
        std::string options = " -c:a " + p["audiocodecname"] + " -ac " + p["channel"] + " -ar "
            + p["samplerate"] + " -b:a " + p["audiobitrate"] + " -vol 256 " + p["extraparam"];
        TFFmpeg job;
        ASSERT_GE(job.AddInput(in.string(), { in.string(), " -ss_microsecond 0", "", 0, nullptr }), 0)
            << job.FLastErrMsg;
        ASSERT_GE(job.SetOutput(out.string(), MakeOutputOptions(out.string(), options, "")), 0)
            << p["profilename"] << ": " << job.FLastErrMsg;
        job.StartConvert();
        ASSERT_TRUE(job.Finished()) << p["profilename"] << ": " << job.FatalMessage();
        TDecodedAudio a = DecodeAudio(out);
        EXPECT_NEAR(a.seconds(), 2.0, 0.1) << p["profilename"];
        EXPECT_EQ(a.sampleRate, std::stoi(p["samplerate"])) << p["profilename"];
        EXPECT_EQ(a.channels, std::stoi(p["channel"])) << p["profilename"];
    }
}

}  // namespace
