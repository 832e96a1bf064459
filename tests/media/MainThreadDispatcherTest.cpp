#include "UiThreadStandIn.h"

#include "media/MainThreadDispatcher.h"
#include "media/ManualResetEvent.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

TEST(MainThreadDispatcher, WithoutDispatcherCallsRunOnTheCallingThread)
{
    std::thread::id ranOn;
    std::thread worker([&] { RunInMainThread([&] { ranOn = std::this_thread::get_id(); }); });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(ranOn, workerId);
}

TEST(MainThreadDispatcher, WorkerCallRunsOnUiThreadWhileItWaits)
{
    UiThreadStandIn ui;
    TManualResetEvent finished;
    std::thread::id ranOn;
    bool returnedAfterCall = false;
    std::thread worker([&] {
        bool ran = false;
        RunInMainThread([&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
        returnedAfterCall = ran;
        finished.Set();
    });
    finished.Wait(); // serves the hand-over; a plain wait would never end
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(returnedAfterCall);
}

TEST(MainThreadDispatcher, ExceptionOfHandedCallReachesTheCaller)
{
    UiThreadStandIn ui;
    TManualResetEvent finished;
    std::string caught;
    std::thread worker([&] {
        try {
            RunInMainThread([] { throw std::runtime_error("handler failed"); });
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
        finished.Set();
    });
    finished.Wait();
    worker.join();
    EXPECT_EQ(caught, "handler failed");
}

TEST(MainThreadDispatcher, CallsFromManyWorkersAreAllServed)
{
    UiThreadStandIn ui;
    constexpr int workers = 4, callsEach = 50;
    int served = 0; // touched only on the UI thread
    std::atomic<int> done = 0;
    TManualResetEvent allDone;
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back([&] {
            for (int call = 0; call < callsEach; ++call)
                RunInMainThread([&] { ++served; });
            if (++done == workers)
                allDone.Set();
        });
    allDone.Wait();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(served, workers * callsEach);
}

TEST(MainThreadDispatcher, RemovingTheDispatcherRunsWhatIsPending)
{
    std::thread worker;
    bool ran = false;
    {
        UiThreadStandIn ui;
        TManualResetEvent handed;
        worker = std::thread([&] {
            handed.Set();
            RunInMainThread([&] { ran = true; });
        });
        handed.Wait();
    } // the worker may be waiting for the UI thread right now
    worker.join();
    EXPECT_TRUE(ran);
}

TEST(ManualResetEvent, StaysSetUntilResetAndTimesOut)
{
    TManualResetEvent event;
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(1)));
    event.Set();
    EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(1)));
    event.Wait();
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}
