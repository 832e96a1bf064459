#include "engine/ConvertThread.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Linux gives each thread its own nice value; only lowering needs no privilege.
void ApplyPriority(TThreadPriority APriority)
{
    static const int kNice[] = { 19, 10, 5 };
    if (APriority < tpNormal)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNice[APriority]);
}

}  // namespace

TConvertThread::TConvertThread(std::function<void()> ABody, TThreadPriority APriority)
    : FBody(std::move(ABody))
    , FPriority(APriority)
{
}

TConvertThread::~TConvertThread()
{
    if (FThread.joinable())
        FThread.join();
}

void TConvertThread::Run()
{
    FThread = std::thread([this] {
        FId = std::this_thread::get_id();
        ApplyPriority(FPriority);
        FBody();
    });
}
