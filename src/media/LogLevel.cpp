#include "media/LogLevel.h"

#include <algorithm>

int LogLevelToAV(TLogLevel ALevel)
{
    return static_cast<int>(ALevel) * 8 - 8;
}

TLogLevel AVToLogLevel(int AAVLevel)
{
    return static_cast<TLogLevel>(std::clamp(AAVLevel / 8 + 1, 0, 7));
}

const char* LogLevelName(TLogLevel ALevel)
{
    static const char* const names[]
        = { "quiet", "panic", "fatal", "error", "warning", "info", "verbose", "debug" };
    return names[ALevel];
}
