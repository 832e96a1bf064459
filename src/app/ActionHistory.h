#pragma once
// The action history: every line the logger delivered since start-up, after the
// header line. Error reports append their sections to it and mail all of it. It is
// touched on the user-interface thread only (the logger hands its lines over there).

#include "media/FFLogger.h"

#include <QStringList>

class TActionHistory {
public:
    TActionHistory();

    QStringList& Lines() { return FLines; }
    const QStringList& Lines() const { return FLines; }

    // The logger's OnLog handler: "#" thread id "." level ordinal ": " message.
    void FFLoggerLog(
        const void* Sender, uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg);
    // Binds FFLoggerLog for the logger's SetOnLog.
    TLogEvent Handler();

private:
    QStringList FLines;
};
