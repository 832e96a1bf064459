#include "engine/EngineLog.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdio>

void EngineLog(TLogLevel ALevel, const std::string& AText)
{
    static const int levels[] = { -8, 0, 8, 16, 24, 32, 40, 48 };
    av_log(nullptr, levels[ALevel], "%s\n", AText.c_str());
}

std::string FormatText(const char* AFormat, ...)
{
    va_list args;
    va_start(args, AFormat);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, AFormat, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(text.data(), text.size() + 1, AFormat, args);
    va_end(args);
    return text;
}

std::string ErrorText(const std::string& APrefix, int ACode)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(ACode, buf, sizeof buf);
    return APrefix + ": " + buf;
}
