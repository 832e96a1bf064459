#include "media/OptionsLog.h"

#include "media/FFLogger.h"

extern "C" {
#include <libavutil/log.h>
}

void LogToLibrary(int libraryLevel, const std::string& text)
{
    av_log(nullptr, libraryLevel, "%s\n", text.c_str());
}

void SetLibraryLogLevel(int libraryLevel)
{
    GetLogger().SetLogLevel(AVToLogLevel(libraryLevel));
    // Before the logger's callback is installed the library filters by itself, and
    // it is given the exact number.
    av_log_set_level(libraryLevel);
}
