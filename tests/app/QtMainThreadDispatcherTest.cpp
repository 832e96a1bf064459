#include "app/QtMainThreadDispatcher.h"

#include "media/FFLogger.h"
#include "media/ManualResetEvent.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace {

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace

TEST(QtMainThreadDispatcher, WorkerLinesReachOnLogInTheEventLoop)
{
    EnsureApplication();
    TQtMainThreadDispatcher dispatcher;
    TFFLogger logger;
    logger.SetLogLevel(llInfo);
    logger.InstallAVLogCallback();
    std::vector<std::string> lines; // UI thread only
    std::vector<QThread*> handledOn;
    logger.SetOnLog([&](const void*, uint32_t, TLogLevel, const std::string& text) {
        handledOn.push_back(QThread::currentThread());
        lines.push_back(text);
    });

    QEventLoop loop;
    size_t linesSeenByWorker = 0;
    std::thread worker([&] {
        av_log(nullptr, AV_LOG_ERROR, "from the worker, ");
        av_log(nullptr, AV_LOG_ERROR, "whole\n");
        logger.Log(nullptr, llWarning, "component %d", 2);
        linesSeenByWorker = lines.size(); // both handlers have run by now
        RunInMainThread([&] { loop.quit(); });
    });
    loop.exec();
    worker.join();

    EXPECT_EQ(lines, (std::vector<std::string> { "from the worker, whole", "component 2" }));
    EXPECT_EQ(handledOn, (std::vector<QThread*>(2, QThread::currentThread())));
    EXPECT_EQ(linesSeenByWorker, 2u);
}

TEST(QtMainThreadDispatcher, EventWaitOnTheUiThreadServesHandOvers)
{
    EnsureApplication();
    TQtMainThreadDispatcher dispatcher;
    TManualResetEvent done;
    QThread* ranOn = nullptr;
    std::thread worker([&] {
        RunInMainThread([&] { ranOn = QThread::currentThread(); });
        done.Set();
    });
    done.Wait(); // no event loop runs here
    worker.join();
    EXPECT_EQ(ranOn, QThread::currentThread());
    QCoreApplication::processEvents(); // the posted wake-up finds nothing left
}
