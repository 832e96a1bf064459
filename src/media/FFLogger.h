#pragma once
// The process-wide logger. Components log their messages through GetLogger(); the
// media libraries' messages arrive through their log callback, are assembled into
// whole lines per thread and filtered by the libraries' threshold. Every line that
// passes reaches OnLog, on the user-interface thread when TriggerEventInMainThread
// is set (the calling thread waits meanwhile), else on the logging thread.

#include "media/FFBaseComponent.h"
#include "media/FormatText.h"
#include "media/LogLevel.h"
#include "media/ThreadId.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct TLogInfo {
    const void* Sender = nullptr;
    uint32_t ThreadID = 0;
    TLogLevel LogLevel = llQuiet;
    std::string LogMsg;
};

using TLogEvent = std::function<void(
    const void* Sender, uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)>;

class TFFLogger : public TFFBaseComponent {
public:
    // Becomes the process-wide logger, replacing (and freeing) one that GetLogger
    // created. A second application logger is a programming error: throws
    // std::logic_error "Allow creating only one instance of TFFLogger.".
    TFFLogger();
    ~TFFLogger() override;

    TLogLevel LogLevel() const { return FLogLevel; }
    void SetLogLevel(TLogLevel AValue);
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool AValue) { FTriggerEventInMainThread = AValue; }
    void SetOnLog(TLogEvent AHandler);
    bool AutoCreated() const { return FAutoCreated; }
    // The payload of the last delivery.
    TLogInfo LogInfo() const;

    // Sets LogLevel from a level name (any letter case) or a number on the libraries'
    // scale; throws std::invalid_argument for anything else.
    void OptLogLevel(const std::string& AArg);

    // Installs the libraries' log callback and applies LogLevel to them.
    void InstallAVLogCallback();

    void Log(const void* ASender, TLogLevel ALogLevel, const std::string& ALogMsg);
    // printf-style; the text is formatted only when the message passes.
    template <typename... Args>
    requires(sizeof...(Args) > 0) void Log(
        const void* ASender, TLogLevel ALogLevel, const char* AFormat, const Args&... AArgs)
    {
        if (Passes(ALogLevel))
            Deliver({ ASender, CurrentThreadId(), ALogLevel, FormatValues(AFormat, AArgs...) });
    }

    // Hands one assembled library line to OnLog (no level check: the libraries'
    // threshold has filtered it).
    void DeliverLibraryLine(uint32_t AThreadID, TLogLevel ALogLevel, std::string ALine);

private:
    struct TAutoCreate { };
    explicit TFFLogger(TAutoCreate);
    friend TFFLogger& GetLogger();

    bool Passes(TLogLevel ALogLevel) const;
    bool HasOnLog() const;
    void Deliver(TLogInfo AInfo);
    void Fire(const TLogInfo& AInfo);
    void ApplyLogLevel();

    const bool FAutoCreated;
    std::atomic<bool> FTriggerEventInMainThread = true;
    std::atomic<TLogLevel> FLogLevel;
    mutable std::mutex FLock; // guards FOnLog and FLogInfo
    TLogEvent FOnLog;
    TLogInfo FLogInfo;
};

// The process-wide logger; creates one without OnLog when none exists.
TFFLogger& GetLogger();
