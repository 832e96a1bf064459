#include "media/Format.h"

#include <cstdarg>
#include <cstdio>

std::string Format(const char* AFormat, ...)
{
    va_list args;
    va_start(args, AFormat);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, AFormat, args);
    va_end(args);
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size));
        std::vsnprintf(text.data(), text.size() + 1, AFormat, again);
    }
    va_end(again);
    return text;
}
