#include "UiThreadStandIn.h"

#include "media/FFLogger.h"
#include "media/ManualResetEvent.h"
#include "media/ThreadId.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <barrier>
#include <cstdio>
#include <thread>

namespace {

struct Line {
    const void* sender;
    uint32_t thread;
    TLogLevel level;
    std::string text;
};

// A media-library context as the libraries log with it: an AVClass pointer first,
// optionally a parent context.
struct FakeContext {
    const AVClass* cls;
    FakeContext* parent = nullptr;
};

const char* FakeName(void* context)
{
    return static_cast<FakeContext*>(context)->parent ? "child" : "top";
}

const AVClass FakeClass = [] {
    AVClass cls {};
    cls.class_name = "Fake";
    cls.item_name = FakeName;
    cls.version = LIBAVUTIL_VERSION_INT;
    cls.parent_log_context_offset = static_cast<int>(offsetof(FakeContext, parent));
    return cls;
}();

std::string Prefix(const char* name, const void* context)
{
    char text[128];
    std::snprintf(text, sizeof text, "[%s @ %p] ", name, context);
    return text;
}

class FFLoggerTest : public ::testing::Test {
protected:
    FFLoggerTest()
    {
        logger.SetTriggerEventInMainThread(false);
        logger.SetLogLevel(llInfo); // a new logger starts at the libraries' current level
        logger.SetOnLog(Collect());
        logger.InstallAVLogCallback();
    }

    TLogEvent Collect()
    {
        return
            [this](const void* sender, uint32_t thread, TLogLevel level, const std::string& text) {
                std::lock_guard guard(linesLock);
                lines.push_back({ sender, thread, level, text });
            };
    }

    std::vector<std::string> Texts()
    {
        std::lock_guard guard(linesLock);
        std::vector<std::string> texts;
        for (const Line& line : lines)
            texts.push_back(line.text);
        return texts;
    }

    TFFLogger logger;
    FakeContext top { &FakeClass };
    std::string topPrefix = Prefix("top", &top);
    std::mutex linesLock;
    std::vector<Line> lines;
};

} // namespace

TEST(LogLevel, ConvertsBothWays)
{
    const struct {
        int av;
        TLogLevel level;
    } cases[] = { { -100, llQuiet }, { -8, llQuiet }, { -7, llPanic }, { -1, llPanic },
        { 0, llPanic }, { 7, llPanic }, { 8, llFatal }, { 16, llError }, { 23, llError },
        { 24, llWarning }, { 32, llInfo }, { 40, llVerbose }, { 47, llVerbose }, { 48, llDebug },
        { 56, llDebug }, { 1000, llDebug } };
    for (const auto& c : cases)
        EXPECT_EQ(AVToLogLevel(c.av), c.level) << c.av;
    for (int level = llQuiet; level <= llDebug; ++level)
        EXPECT_EQ(AVToLogLevel(LogLevelToAV(static_cast<TLogLevel>(level))), level);
    EXPECT_EQ(LogLevelToAV(llQuiet), AV_LOG_QUIET);
    EXPECT_EQ(LogLevelToAV(llDebug), AV_LOG_DEBUG);
}

TEST_F(FFLoggerTest, OptLogLevelTakesNamesAndNumbers)
{
    const struct {
        const char* arg;
        TLogLevel level;
    } cases[] = { { "WARNING", llWarning }, { "debug", llDebug }, { "Quiet", llQuiet },
        { "20", llError }, { "-100", llQuiet }, { "32", llInfo } };
    for (const auto& c : cases) {
        logger.OptLogLevel(c.arg);
        EXPECT_EQ(logger.LogLevel(), c.level) << c.arg;
    }
    logger.SetLogLevel(llInfo);
    for (const char* bad : { "", "loud", "12x", " 3" })
        EXPECT_THROW(logger.OptLogLevel(bad), std::invalid_argument) << bad;
    EXPECT_EQ(logger.LogLevel(), llInfo);
}

TEST_F(FFLoggerTest, ComponentMessagesAreFilteredByLogLevel)
{
    const int sender = 0;
    logger.SetLogLevel(llWarning);
    logger.Log(&sender, llError, "error");
    logger.Log(&sender, llInfo, "info is above warning");
    logger.Log(&sender, llQuiet, "quiet always passes");
    logger.Log(&sender, llWarning, "%s %d %0.3f", std::string("formatted"), 7, 0.5);
    logger.Log(&sender, llWarning, "100% literal");
    EXPECT_EQ(Texts(),
        (std::vector<std::string> {
            "error", "quiet always passes", "formatted 7 0.500", "100% literal" }));
    EXPECT_EQ(lines[0].sender, &sender);
    EXPECT_EQ(lines[0].thread, CurrentThreadId());
    EXPECT_EQ(lines[0].level, llError);
    EXPECT_EQ(logger.LogInfo().LogMsg, "100% literal");
}

TEST_F(FFLoggerTest, LibraryLinesAreAssembledPerLine)
{
    // Each case sends its chunks from the same context and expects these lines.
    const struct {
        std::vector<const char*> chunks;
        std::vector<std::string> lines;
    } cases[] = {
        { { "abc", "def\n" }, { "abcdef" } },
        { { "one\ntwo\nthr", "ee\n" }, { "one", "two", "three" } },
        { { "windows\r\n" }, { "windows\r" } },
    };
    for (const auto& c : cases) {
        lines.clear();
        for (const char* chunk : c.chunks)
            av_log(&top, AV_LOG_INFO, "%s", chunk);
        std::vector<std::string> expected;
        for (size_t i = 0; i < c.lines.size(); ++i) // the prefix opens each new line
            expected.push_back(((i == 0 || c.chunks.size() == 1) ? topPrefix : "") + c.lines[i]);
        EXPECT_EQ(Texts(), expected) << c.chunks[0];
    }
}

TEST_F(FFLoggerTest, LibraryLinesCarryParentPrefixSenderAndLevel)
{
    FakeContext child { &FakeClass, &top };
    av_log(&child, AV_LOG_WARNING, "from the child %d\n", 5);
    av_log(nullptr, AV_LOG_ERROR, "no context\n");
    const char* volatile nothing = nullptr; // libraries do log a null "%s"
    av_log(&top, AV_LOG_INFO, "%s", nothing);
    av_log(&top, AV_LOG_INFO, "\n");
    ASSERT_EQ(Texts(),
        (std::vector<std::string> {
            topPrefix + Prefix("child", &child) + "from the child 5", "no context", topPrefix }));
    EXPECT_EQ(lines[0].sender, &logger);
    EXPECT_EQ(lines[0].level, llWarning);
    EXPECT_EQ(lines[1].level, llError);
}

TEST_F(FFLoggerTest, LibraryThresholdFollowsLogLevel)
{
    av_log(&top, AV_LOG_VERBOSE, "hidden\n");
    logger.SetLogLevel(llVerbose);
    av_log(&top, AV_LOG_VERBOSE, "shown\n");
    ASSERT_EQ(Texts(), std::vector<std::string> { topPrefix + "shown" });
    EXPECT_EQ(lines[0].level, llVerbose);
    EXPECT_EQ(av_log_get_level(), AV_LOG_VERBOSE);
}

TEST_F(FFLoggerTest, RepeatedLinesAreCounted)
{
    for (int i = 0; i < 3; ++i)
        av_log(nullptr, AV_LOG_INFO, "thrice\n");
    av_log(nullptr, AV_LOG_INFO, "once\n");
    for (int i = 0; i < 2; ++i)
        av_log(nullptr, AV_LOG_INFO, "twice\n");
    av_log(nullptr, AV_LOG_INFO, "end\n");
    EXPECT_EQ(Texts(),
        (std::vector<std::string> { "thrice", "    Last message repeated 2 times", "once", "twice",
            "    Last message repeated 1 times", "end" }));
}

TEST_F(FFLoggerTest, WithoutOnLogLinesAreStillAssembledAndCounted)
{
    logger.SetOnLog(nullptr);
    logger.Log(nullptr, llQuiet, "dropped");
    av_log(&top, AV_LOG_INFO, "begun ");
    logger.SetOnLog(Collect());
    av_log(&top, AV_LOG_INFO, "ended\n");

    logger.SetOnLog(nullptr);
    for (int i = 0; i < 3; ++i)
        av_log(nullptr, AV_LOG_INFO, "same\n");
    logger.SetOnLog(Collect());
    av_log(nullptr, AV_LOG_INFO, "next\n");
    EXPECT_EQ(Texts(),
        (std::vector<std::string> {
            topPrefix + "begun ended", "    Last message repeated 2 times", "next" }));
}

TEST_F(FFLoggerTest, LibraryTextIsUtf8AndNeverCut)
{
    const std::string longText(5000, 'x');
    av_log(nullptr, AV_LOG_INFO, "Gr\xC3\xBC\xC3\x9F \xE6\x9B\xB2 bad\xFF\xC3!\n");
    av_log(&top, AV_LOG_INFO, "%s\n", longText.c_str());
    EXPECT_EQ(Texts(),
        (std::vector<std::string> { "Gr\xC3\xBC\xC3\x9F \xE6\x9B\xB2 bad\xEF\xBF\xBD\xEF\xBF\xBD!",
            topPrefix + longText }));
}

TEST_F(FFLoggerTest, ThreadsAssembleTheirOwnLines)
{
    std::barrier bothStarted(2);
    auto send = [&](const char* name) {
        av_log(nullptr, AV_LOG_INFO, "%s begins, ", name);
        bothStarted.arrive_and_wait();
        av_log(nullptr, AV_LOG_INFO, "%s ends\n", name);
    };
    std::thread first(send, "first"), second(send, "second");
    first.join();
    second.join();
    ASSERT_EQ(lines.size(), 2u);
    for (const Line& line : lines) {
        const std::string name = line.text.substr(0, line.text.find(' '));
        EXPECT_EQ(line.text, name + " begins, " + name + " ends");
    }
    EXPECT_NE(lines[0].thread, lines[1].thread);
}

TEST_F(FFLoggerTest, LinesReachOnLogOnTheUiThreadWhileTheLoggerWaits)
{
    UiThreadStandIn ui;
    logger.SetTriggerEventInMainThread(true);
    const uint32_t uiThread = CurrentThreadId();
    std::vector<uint32_t> handledOn; // UI thread only
    logger.SetOnLog([&](const void*, uint32_t, TLogLevel, const std::string& text) {
        handledOn.push_back(CurrentThreadId());
        lines.push_back({ nullptr, 0, llInfo, text });
    });
    TManualResetEvent finished;
    uint32_t worker = 0;
    size_t seenAfterLog = 0;
    std::thread thread([&] {
        worker = CurrentThreadId();
        av_log(&top, AV_LOG_WARNING, "from a worker\n");
        seenAfterLog = lines.size(); // the handler has run by now
        finished.Set();
    });
    finished.Wait();
    thread.join();
    EXPECT_EQ(handledOn, std::vector<uint32_t> { uiThread });
    EXPECT_EQ(seenAfterLog, 1u);
    EXPECT_EQ(Texts(), std::vector<std::string> { topPrefix + "from a worker" });
    EXPECT_EQ(logger.LogInfo().ThreadID, worker);
}

TEST(FFLoggerLifetime, ApplicationLoggerReplacesTheAutoCreatedOne)
{
    TFFLogger& automatic = GetLogger();
    EXPECT_TRUE(automatic.AutoCreated());
    EXPECT_EQ(automatic.Version(), "1.0");
    EXPECT_EQ(automatic.ReadTimeout(), 30000);
    EXPECT_EQ(automatic.WriteTimeout(), 30000);
    {
        TFFLogger application;
        EXPECT_EQ(&GetLogger(), &application);
        EXPECT_FALSE(application.AutoCreated());
        EXPECT_THROW(TFFLogger second, std::logic_error);
    }
    EXPECT_TRUE(GetLogger().AutoCreated());
}
