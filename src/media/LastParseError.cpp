#include "media/LastParseError.h"

std::string& LastParseError()
{
    thread_local std::string text;
    return text;
}

void AppendLastParseError(const std::string& text)
{
    std::string& last = LastParseError();
    if (!last.empty())
        last += "\r\n";
    last += text;
}
