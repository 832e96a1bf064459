#pragma once
// Where the option parser's messages go. Levels are on the media library's scale
// (AV_LOG_ERROR and kin).

#include <string>

// A line handed to the media library's log, as the library's own messages are.
void LogToLibrary(int libraryLevel, const std::string& text);

// A message of the parser as a component (the job's own log lines).
void OptionsLog(int libraryLevel, const std::string& text);

// Sets the media library's log threshold (the "loglevel" and "debug" options).
void SetLibraryLogLevel(int libraryLevel);
