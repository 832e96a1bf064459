#pragma once
// The worker of one job. Created suspended so that its owner can finish setting up
// before it runs; Run lets it go. The job owns it; destruction joins the thread,
// which by then has left the job's body.

#include "engine/EncoderTypes.h"

#include <atomic>
#include <functional>
#include <thread>

class TConvertThread {
public:
    TConvertThread(std::function<void()> ABody, TThreadPriority APriority);
    ~TConvertThread();
    TConvertThread(const TConvertThread&) = delete;
    TConvertThread& operator=(const TConvertThread&) = delete;

    void Run();
    bool IsCurrent() const { return FId == std::this_thread::get_id(); }

private:
    std::function<void()> FBody;
    TThreadPriority FPriority;
    std::atomic<std::thread::id> FId;
    std::thread FThread;
};
