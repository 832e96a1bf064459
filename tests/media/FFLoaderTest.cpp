#include "media/FFLoader.h"
#include "media/AuException.h"
#include "media/FFLogger.h"
#include "media/ToLibraryPath.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

namespace {

class FFLoaderTest : public ::testing::Test {
protected:
    FFLoaderTest() { Reset(); }
    ~FFLoaderTest() override { Reset(); }

    static void Reset()
    {
        for (int library = avCodec; library <= myUtil; ++library)
            FFLoader().SetRunTimeVersionForTest(static_cast<TLibrary>(library), std::nullopt);
        FFLoader().Unload(AllLibraries);
        FFLoader().SetInstallLogger(true);
    }

    static std::string NotLoadedText(TLibraries libraries)
    {
        try {
            FFLoader().CheckLibAV(libraries);
        } catch (const EAuException& error) {
            return error.what();
        }
        return "";
    }
};

} // namespace

TEST_F(FFLoaderTest, LoadsAndUnloadsSets)
{
    TFFLoader& loader = FFLoader();
    ASSERT_TRUE(loader.Load(DecoderLibraries)) << loader.LastErrMsg();
    EXPECT_TRUE(loader.Loaded(DecoderLibraries));
    EXPECT_TRUE(loader.Loaded(avCodec));
    EXPECT_FALSE(loader.Loaded(AllLibraries));
    EXPECT_EQ(NotLoadedText(DecoderLibraries), "");
    // avDevice and avFilter are missing: the first in order is named
    EXPECT_EQ(NotLoadedText(AllLibraries), "Library avdevice not loaded.");
    EXPECT_TRUE(loader.Load(DecoderLibraries)); // already loaded
    loader.Unload(TLibraries { avUtil, avCodec });
    EXPECT_EQ(NotLoadedText(DecoderLibraries), "Library avcodec not loaded.");
    EXPECT_TRUE(loader.Loaded(avFormat));
    EXPECT_THROW(loader.Load(TLibraries {}), std::logic_error);
}

TEST_F(FFLoaderTest, FailingMemberUnloadsTheWholeSet)
{
    TFFLoader& loader = FFLoader();
    ASSERT_TRUE(loader.Load(DecoderLibraries));
    loader.SetRunTimeVersionForTest(avFilter, LIBAVFILTER_VERSION_MAJOR + 1);
    EXPECT_FALSE(loader.Load(AllLibraries));
    EXPECT_EQ(loader.LastErrMsg(),
        "Load library libavfilter.so." + std::to_string(LIBAVFILTER_VERSION_MAJOR)
            + " error: major version " + std::to_string(LIBAVFILTER_VERSION_MAJOR + 1) + " found, "
            + std::to_string(LIBAVFILTER_VERSION_MAJOR) + " expected");
    // including what the decoders had loaded before
    for (TLibrary library : { avCodec, avDevice, avFilter, avUtil, myUtil })
        EXPECT_FALSE(loader.Loaded(library)) << LibraryName(library);

    loader.SetRunTimeVersionForTest(avFilter, std::nullopt);
    EXPECT_TRUE(loader.Load(AllLibraries)) << loader.LastErrMsg();
}

TEST_F(FFLoaderTest, EveryLoadOfAvUtilInstallsTheLogCallback)
{
    TFFLogger logger;
    logger.SetTriggerEventInMainThread(false);
    std::vector<std::string> lines;
    logger.SetOnLog(
        [&](const void*, uint32_t, TLogLevel, const std::string& text) { lines.push_back(text); });

    FFLoader().SetInstallLogger(false);
    av_log_set_callback(av_log_default_callback);
    ASSERT_TRUE(FFLoader().Load(avUtil));
    av_log(nullptr, AV_LOG_ERROR, "to standard error\n");
    EXPECT_TRUE(lines.empty());

    FFLoader().SetInstallLogger(true);
    ASSERT_TRUE(FFLoader().Load(avUtil)); // loaded already; the hook runs again
    av_log(nullptr, AV_LOG_ERROR, "to the logger\n");
    EXPECT_EQ(lines, std::vector<std::string> { "to the logger" });
}

TEST(ToLibraryPath, PassesUtf8NamesThrough)
{
    const std::string name = "/tmp/M\xC3\xBCller/\xE6\x9B\xB2 \xF0\x9F\x8E\xB5.mp3";
    EXPECT_EQ(ToLibraryPath(name), name);
    EXPECT_EQ(ToLibraryPath(std::string(3000, 'a')).size(), 3000u);
}
