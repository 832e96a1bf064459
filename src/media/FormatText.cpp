#include "media/FormatText.h"

#include <cstdarg>
#include <cstdio>

std::string FormatText(const char* AFormat, ...)
{
    va_list args;
    va_start(args, AFormat);
    va_list again;
    va_copy(again, args);
    char small[512];
    const int length = std::vsnprintf(small, sizeof small, AFormat, args);
    va_end(args);
    std::string text;
    if (length < 0) {
        va_end(again);
        return text;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        text.assign(small, static_cast<size_t>(length));
    } else {
        text.resize(static_cast<size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, AFormat, again);
    }
    va_end(again);
    return text;
}
