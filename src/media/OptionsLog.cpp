#include "media/OptionsLog.h"

extern "C" {
#include <libavutil/log.h>
}

void LogToLibrary(int libraryLevel, const std::string& text)
{
    av_log(nullptr, libraryLevel, "%s\n", text.c_str());
}

void OptionsLog(int libraryLevel, const std::string& text)
{
    av_log(nullptr, libraryLevel, "%s\n", text.c_str());
}

void SetLibraryLogLevel(int libraryLevel)
{
    av_log_set_level(libraryLevel);
}
