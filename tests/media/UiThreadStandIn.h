#pragma once
// Makes the test's own thread the "user-interface thread": hand-overs from other
// threads are served while it waits on a TManualResetEvent.

#include "media/MainThreadDispatcher.h"

#include <thread>

class UiThreadStandIn : public TMainThreadDispatcher {
public:
    UiThreadStandIn() { InstallMainThreadDispatcher(this); }
    ~UiThreadStandIn() override { InstallMainThreadDispatcher(nullptr); }
    bool IsMainThread() const override { return std::this_thread::get_id() == m_thread; }
    void Post() override { }

private:
    const std::thread::id m_thread = std::this_thread::get_id();
};
