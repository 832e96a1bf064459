#pragma once
// The eight log levels and their place on the media libraries' numeric scale.

#include <string>

enum TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// llQuiet -> -8, llPanic -> 0, ... llDebug -> 48.
int LogLevelToAV(TLogLevel ALevel);
// Truncates toward zero, then clamps: 0..7 -> llPanic, 48 and above -> llDebug,
// -8 and below -> llQuiet, -1..-7 -> llPanic.
TLogLevel AVToLogLevel(int AAVLevel);
// The lower-case name of a level ("quiet" ... "debug").
const char* LogLevelName(TLogLevel ALevel);
