#include "JobRunner.h"
#include "MediaCheck.h"
#include "engine/FFEncoder.h"
#include "engine/OpenCodecs.h"
#include "media/MainThreadDispatcher.h"
#include "media/ManualResetEvent.h"
#include "media/UiThreadStandIn.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using testsupport::makeTone;
using testsupport::TempDir;

namespace {

struct TEvent {
    TTerminateInfo info;
    std::thread::id thread;
};

// Records every termination event and lets the test wait for the final one.
class TEventLog {
public:
    explicit TEventLog(TCustomEncoder& AEncoder)
    {
        AEncoder.OnTerminate = [this](TCustomEncoder*, const TTerminateInfo& AInfo) {
            {
                std::lock_guard guard(FLock);
                FEvents.push_back({ AInfo, std::this_thread::get_id() });
            }
            if (AInfo.TaskIndex == -1)
                FFinal.Set();
        };
    }
    void WaitFinal() { ASSERT_TRUE(FFinal.WaitFor(std::chrono::seconds(60))); }
    std::vector<TEvent> Events()
    {
        std::lock_guard guard(FLock);
        return FEvents;
    }

private:
    std::mutex FLock;
    std::vector<TEvent> FEvents;
    TManualResetEvent FFinal;
};

class EncoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        makeTone(Shared() / "short.wav", 1.0);
        makeTone(Shared() / "long.wav", 20.0);
    }
    static TempDir& Shared()
    {
        static TempDir dir;
        return dir;
    }
    // Jobs of the given source, each to its own output in the test's folder.
    void AddJobs(int ACount, const char* ASource = "short.wav", const char* AExt = ".wav")
    {
        for (int i = 0; i < ACount; ++i) {
            const int task = FEncoder.AddTask((Shared() / ASource).string());
            ASSERT_EQ(task, FEncoder.TasksCount() - 1) << FEncoder.LastErrMsg();
            ASSERT_GE(FEncoder.SetOutput(task, Output(task, AExt).string()), 0)
                << FEncoder.LastErrMsg();
        }
    }
    fs::path Output(int AIndex, const char* AExt = ".wav") const
    {
        return FDir / ("out" + std::to_string(AIndex) + AExt);
    }

    TempDir FDir;
    TFFEncoder FEncoder;
};

TEST_F(EncoderTest, ProgressIntervalHasAFloorOf100)
{
    for (auto [given, stored] :
        { std::pair { 50, 100 }, { 100, 100 }, { 101, 101 }, { 250, 250 } }) {
        FEncoder.SetProgressInterval(given);
        EXPECT_EQ(FEncoder.ProgressInterval(), stored) << given;
    }
}

TEST_F(EncoderTest, CallingThreadRunsEveryJobBeforeStartReturns)
{
    AddJobs(3);
    TEventLog log(FEncoder);
    FEncoder.Start(0);
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(events[i].info.TaskIndex, i < 3 ? i : -1);
        EXPECT_TRUE(events[i].info.Finished);
        EXPECT_FALSE(events[i].info.Exception) << events[i].info.ExceptionMsg;
        EXPECT_EQ(events[i].thread, std::this_thread::get_id());
    }
    EXPECT_TRUE(FEncoder.Terminated());
    EXPECT_NEAR(DecodeAudio(Output(2)).seconds(), 1.0, 0.001);
}

TEST_F(EncoderTest, WorkersRunEachJobOnceAndTheFinalEventComesLast)
{
    AddJobs(5);
    TEventLog log(FEncoder);
    FEncoder.Start(2);
    log.WaitFinal();
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 6u);
    std::multiset<int> indices;
    for (int i = 0; i < 5; ++i) {
        indices.insert(events[i].info.TaskIndex);
        EXPECT_TRUE(events[i].info.Finished);
        EXPECT_NE(events[i].thread, std::this_thread::get_id());
    }
    EXPECT_EQ(indices, (std::multiset<int> { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(events[5].info.TaskIndex, -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(DecodeAudio(Output(i)).seconds(), 1.0, 0.001) << i;
}

TEST_F(EncoderTest, StopWithWaitingEndsTheRunAndStartsNoFurtherJob)
{
    AddJobs(3, "long.wav", ".mp3");
    TEventLog log(FEncoder);
    FEncoder.Start(1);
    FEncoder.Stop(true);
    log.WaitFinal();
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(events[i].info.TaskIndex, i);
        EXPECT_FALSE(events[i].info.Finished) << i;
        EXPECT_FALSE(events[i].info.Exception) << events[i].info.ExceptionMsg;
    }
    EXPECT_EQ(events[3].info.TaskIndex, -1);
    EXPECT_TRUE(events[3].info.Finished);
    // The jobs that never started wrote nothing.
    EXPECT_FALSE(fs::exists(Output(1, ".mp3")));
    EXPECT_FALSE(fs::exists(Output(2, ".mp3")));
}

TEST_F(EncoderTest, AJobWithoutOutputFailsAndTheRunGoesOn)
{
    ASSERT_EQ(FEncoder.AddTask((Shared() / "short.wav").string()), 0);
    AddJobs(1);
    // Its position at the time of the event is what the event reports.
    FEncoder.Exchange(0, 1);
    TEventLog log(FEncoder);
    FEncoder.Start(1);
    log.WaitFinal();
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 3u);
    for (const TEvent& e : events) {
        if (e.info.TaskIndex == 1) {
            EXPECT_TRUE(e.info.Exception);
            EXPECT_FALSE(e.info.Finished);
            EXPECT_EQ(e.info.ExceptionMsg, "At least one output file must be specified");
        } else {
            EXPECT_FALSE(e.info.Exception) << e.info.ExceptionMsg;
            EXPECT_TRUE(e.info.Finished);
        }
    }
    EXPECT_EQ(events.back().info.TaskIndex, -1);
}

TEST_F(EncoderTest, PauseHoldsTheWorkerAndStopReleasesIt)
{
    AddJobs(2, "long.wav", ".mp3");
    TEventLog log(FEncoder);
    FEncoder.Start(2);
    FEncoder.Pause();
    EXPECT_TRUE(FEncoder.Paused());
    EXPECT_THROW(FEncoder.ClearTasks(), std::runtime_error);
    FEncoder.Stop(true);
    log.WaitFinal();
    EXPECT_TRUE(FEncoder.Paused());
    for (const TEvent& e : log.Events()) {
        if (e.info.TaskIndex >= 0) {
            EXPECT_FALSE(e.info.Finished);
        }
    }
    FEncoder.Resume();
    EXPECT_FALSE(FEncoder.Paused());
}

TEST_F(EncoderTest, AnEndedRunRefusesChangesUntilClearTasks)
{
    AddJobs(2);
    FEncoder.Start(0);
    ASSERT_TRUE(FEncoder.Working());
    const std::string input = (Shared() / "short.wav").string();
    const std::vector<std::pair<std::string, std::function<void()>>> calls = {
        { "AddTask", [&] { FEncoder.AddTask(input); } },
        { "AddInput", [&] { FEncoder.AddInput(0, input); } },
        { "SetOutput", [&] { FEncoder.SetOutput(0, Output(9).string()); } },
        { "Exchange", [&] { FEncoder.Exchange(0, 1); } },
        { "RemoveTask", [&] { FEncoder.RemoveTask(0); } },
        { "StartTask", [&] { FEncoder.Start(1); } },
    };
    for (const auto& [word, call] : calls) {
        try {
            call();
            ADD_FAILURE() << word << " did not raise";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot " + word + " while working.");
        }
    }
    EXPECT_EQ(FEncoder.TasksCount(), 2);
    FEncoder.ClearTasks();
    EXPECT_FALSE(FEncoder.Working());
    EXPECT_EQ(FEncoder.TasksCount(), 0);
    EXPECT_GE(FEncoder.AddTask(input), 0);
}

TEST_F(EncoderTest, BuildingFailuresReportAndKeepTheList)
{
    testsupport::writeFile(FDir / "noise.wav", std::string(4000, '\x5a'));
    EXPECT_LT(FEncoder.AddTask((FDir / "noise.wav").string()), 0);
    EXPECT_FALSE(FEncoder.LastErrMsg().empty());
    EXPECT_EQ(FEncoder.TasksCount(), 0);

    AddJobs(1);
    EXPECT_LT(FEncoder.AddInput(0, (FDir / "missing.wav").string()), 0);
    EXPECT_NE(FEncoder.LastErrMsg().find("missing.wav"), std::string::npos)
        << FEncoder.LastErrMsg();
    EXPECT_EQ(FEncoder.TasksCount(), 1);
    EXPECT_THROW(FEncoder.RemoveTask(3), std::out_of_range);

    // The decoder of input 0 describes what the job opened.
    TFFDecoder* decoder = FEncoder.Decoders(0, 0);
    ASSERT_NE(decoder, nullptr);
    EXPECT_NEAR(decoder->FileStreamInfo().Duration / 1e6, 1.0, 0.01);
}

// Progress and termination handlers run on the UI thread, and a stop with waiting
// on that thread keeps serving the workers that wait for it.
TEST_F(EncoderTest, EventsReachTheUiThreadWhileItWaits)
{
    UiThreadStandIn standIn;

    AddJobs(3, "long.wav", ".mp3");
    FEncoder.SetProgressInterval(100);
    TEventLog log(FEncoder);
    std::vector<std::thread::id> progressThreads;
    FEncoder.OnProgress = [&](TCustomEncoder*, const TProgressInfo* AInfo) {
        progressThreads.push_back(std::this_thread::get_id());
        EXPECT_GE(AInfo->TaskIndex, 0);
    };
    FEncoder.Start(2);
    // Wait for a few reports, then stop while the workers still report.
    WaitServingMainThread([&] { return progressThreads.size() >= 4; },
        std::chrono::steady_clock::now() + std::chrono::seconds(30));
    FEncoder.Stop(true);
    WaitServingMainThread([&] { return log.Events().size() == 4; },
        std::chrono::steady_clock::now() + std::chrono::seconds(30));
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events.back().info.TaskIndex, -1);
    for (const TEvent& e : events)
        EXPECT_EQ(e.thread, std::this_thread::get_id());
    for (auto id : progressThreads)
        EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(EncoderTest, TheAudioHookSeesTheDecodedFramesOfJobsThatAskForIt)
{
    AddJobs(1);
    ASSERT_EQ(FEncoder.AddTask((Shared() / "short.wav").string()), 1);
    ASSERT_GE(FEncoder.SetOutput(1, Output(1).string(), "-AudioHook"), 0) << FEncoder.LastErrMsg();
    std::atomic<int64_t> bytes { 0 };
    std::atomic<int> otherTasks { 0 };
    FEncoder.OnAudioHook = [&](TCustomEncoder*, int ATaskIndex, int64_t, const uint8_t*, int ASize,
                               int ASampleRate, int AChannels, AVSampleFormat) {
        if (ATaskIndex != 1 || ASampleRate != 44100 || AChannels != 2)
            ++otherTasks;
        bytes += ASize;
    };
    FEncoder.Start(0);
    EXPECT_EQ(otherTasks, 0);
    // One second of 32-bit stereo (the format sox wrote).
    EXPECT_EQ(bytes, 44100 * 2 * 4);
}

// A job that fails mid-run closes its own codecs and leaves those of the job running
// beside it alone.
TEST_F(EncoderTest, AFailingJobClosesOnlyItsOwnCodecs)
{
    // Signed 64-bit samples, whose volume cannot be changed.
    auto wide = RunJob(
        { { Shared() / "short.wav", {} } }, FDir / "wide.nut", Parsed("-acodec pcm_s64le"));
    ASSERT_TRUE(wide.finished) << wide.error;
    ASSERT_EQ(FEncoder.AddTask((FDir / "wide.nut").string()), 0) << FEncoder.LastErrMsg();
    ASSERT_GE(FEncoder.SetOutput(0, Output(0).string(), "-vol 128"), 0) << FEncoder.LastErrMsg();
    AddJobs(1, "long.wav", ".mp3");
    TEventLog log(FEncoder);
    FEncoder.Start(2);
    log.WaitFinal();
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 3u);
    for (const TEvent& e : events) {
        if (e.info.TaskIndex == 0) {
            EXPECT_TRUE(e.info.Exception);
            EXPECT_EQ(e.info.ExceptionMsg,
                "Audio volume adjustment on sample format s64 is not supported.");
        } else {
            EXPECT_TRUE(e.info.Finished) << e.info.ExceptionMsg;
        }
    }
    EXPECT_EQ(OpenCodecs().Count(), 0);
    EXPECT_NEAR(DecodeAudio(Output(1, ".mp3")).seconds(), 20.0, 0.1);
}
// The end of a run in the calling thread may clear the list and start the next run
// from its final event, while Start still runs the ended run's code beneath it. That
// Start then starts nothing of the new run, which keeps its own thread count.
TEST_F(EncoderTest, TheFinalEventOfARunInTheCallingThreadMayStartTheNextRun)
{
    AddJobs(2);
    std::mutex lock;
    std::vector<int> events;
    std::vector<int> progress;  // task indices reported in the second run
    std::atomic<bool> second { false };
    TManualResetEvent secondEnded;
    FEncoder.SetProgressInterval(100);
    FEncoder.OnProgress = [&](TCustomEncoder*, const TProgressInfo* AInfo) {
        std::lock_guard guard(lock);
        if (second)
            progress.push_back(AInfo->TaskIndex);
    };
    FEncoder.OnTerminate = [&](TCustomEncoder*, const TTerminateInfo& AInfo) {
        {
            std::lock_guard guard(lock);
            events.push_back(AInfo.TaskIndex);
        }
        if (AInfo.TaskIndex != -1)
            return;
        if (second) {
            secondEnded.Set();
            return;
        }
        FEncoder.ClearTasks();
        EXPECT_FALSE(FEncoder.Working());
        EXPECT_EQ(FEncoder.TasksCount(), 0);
        AddJobs(3, "long.wav", ".mp3");
        second = true;
        FEncoder.Start(1);
    };
    FEncoder.Start(0);
    ASSERT_TRUE(secondEnded.WaitFor(std::chrono::seconds(60)));
    std::lock_guard guard(lock);
    EXPECT_EQ(events, (std::vector<int> { 0, 1, -1, 0, 1, 2, -1 }));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << ::testing::PrintToString(progress);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(DecodeAudio(Output(i, ".mp3")).seconds(), 20.0, 0.1) << i;
}

TEST_F(EncoderTest, ClearTasksFromAPerJobEventIsRefused)
{
    AddJobs(1);
    FEncoder.OnTerminate = [&](TCustomEncoder*, const TTerminateInfo& AInfo) {
        if (AInfo.TaskIndex == 0) {
            EXPECT_THROW(FEncoder.ClearTasks(), std::runtime_error);
        }
    };
    FEncoder.Start(0);
    EXPECT_EQ(FEncoder.TasksCount(), 1);
}

TEST_F(EncoderTest, PreviewFlagsReachEveryJobAndAudioJobsRaiseNoVideoEvent)
{
    std::vector<TFFmpeg*> jobs;
    FEncoder.OnBeforeFindStreamInfo = [&](TFFmpeg* AJob, AVFormatContext*) { jobs.push_back(AJob); };
    AddJobs(1);
    FEncoder.SetPreview(true);
    ASSERT_EQ(FEncoder.AddTask((Shared() / "short.wav").string()), 1);
    ASSERT_GE(FEncoder.SetOutput(1, Output(1).string(), "-VideoInputHook -VideoOutputHook "
                                                       "-FrameInputHook -FrameOutputHook"),
        0)
        << FEncoder.LastErrMsg();
    FEncoder.SetPreviewBitmap(true);
    FEncoder.SetPreview(false);
    ASSERT_EQ(jobs.size(), 2u);
    for (TFFmpeg* job : jobs) {
        EXPECT_FALSE(job->PostHook(phPreview));
        EXPECT_TRUE(job->PostHook(phBitmap));
    }

    int videoEvents = 0;
    FEncoder.OnPreviewBitmap = [&](TCustomEncoder*, const TPreviewInfo*) { ++videoEvents; };
    FEncoder.OnVideoInputHook = [&](TCustomEncoder*, THookInfo*) { ++videoEvents; };
    FEncoder.OnFrameOutputHook = [&](TCustomEncoder*, TFrameHookInfo*) { ++videoEvents; };
    TEventLog log(FEncoder);
    FEncoder.Start(0);
    EXPECT_EQ(videoEvents, 0);
    EXPECT_TRUE(log.Events().at(1).info.Finished);
}

// Copied pictures are never decoded, so a job with a picture hook or a preview refuses
// to copy video.
TEST_F(EncoderTest, CopiedVideoRefusesHooksAndPreview)
{
    makeTone(FDir / "tone.wav", 1.0, 44100, 2, { "-b", "16" });
    testsupport::encodeAudio(FDir / "tone.wav", FDir / "video.mkv");
    const struct {
        const char* words;
        bool preview;
        std::string error;
    } cases[] = {
        { "", false, "" },
        { "-VideoInputHook", false, "-vcodec copy and VideoHook are incompatible (frames are not decoded)" },
        { "-FrameOutputHook", false, "-vcodec copy and FrameHook are incompatible (frames are not decoded)" },
        { "", true, "-vcodec copy and PostHooks are incompatible (frames are not decoded)" },
    };
    for (const auto& c : cases) {
        TFFEncoder encoder;
        encoder.SetPreview(c.preview);
        TEventLog log(encoder);
        ASSERT_EQ(encoder.AddTask((FDir / "video.mkv").string()), 0) << encoder.LastErrMsg();
        ASSERT_GE(encoder.SetOutput(0, Output(0, ".mkv").string(),
                      std::string("-vcodec copy -acodec flac ") + c.words),
            0)
            << encoder.LastErrMsg();
        encoder.Start(0);
        const TTerminateInfo info = log.Events().at(0).info;
        EXPECT_EQ(info.ExceptionMsg, c.error) << c.words;
        EXPECT_EQ(info.Finished, c.error.empty()) << c.words;
    }
}

}  // namespace
