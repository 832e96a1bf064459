#include "app/ActionHistory.h"

#include "media/ThreadId.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

TEST(ActionHistory, KeepsEveryDeliveredLineAfterTheHeader)
{
    TActionHistory history;
    TFFLogger logger;
    logger.SetTriggerEventInMainThread(false);
    logger.SetLogLevel(llInfo);
    logger.SetOnLog(history.Handler());
    logger.InstallAVLogCallback();

    logger.Log(nullptr, llError,
        "Stra\xC3\x9F"
        "e %d",
        5);
    logger.Log(nullptr, llDebug, "filtered");
    av_log(nullptr, AV_LOG_WARNING, "from the library\n");
    const QString thread = QString::number(CurrentThreadId());
    EXPECT_EQ(history.Lines(),
        (QStringList { "FFLOGGER HISTORY:", "#" + thread + ".3: Stra\u00DFe 5",
            "#" + thread + ".4: from the library" }));
}
