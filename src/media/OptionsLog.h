#pragma once
// The option parser's dealings with the media library's log. Its own messages as a
// component go through GetLogger().

#include <string>

// A line (level AV_LOG_ERROR and kin) handed to the media library's log, like the
// library's own messages.
void LogToLibrary(int libraryLevel, const std::string& text);

// Sets the media library's log threshold (the "loglevel" and "debug" options).
void SetLibraryLogLevel(int libraryLevel);
