#pragma once
// Lines of the action history: every line the logger delivered since start-up goes
// there after the header line; error reports mail all of it.

#include "media/LogLevel.h"

#include <QString>

#include <cstdint>
#include <string>

// "#" thread id "." level ordinal ": " message.
QString HistoryLine(uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg);
