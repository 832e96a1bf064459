#pragma once
// Logging for the engine; routed to the process-wide logger.

#include <string>

enum TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

void EngineLog(TLogLevel ALevel, const std::string& AText);
std::string FormatText(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));

// Prefix + ": " + the library's text for an error code.
std::string ErrorText(const std::string& APrefix, int ACode);
