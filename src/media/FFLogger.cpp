#include "media/FFLogger.h"

#include "media/LogList.h"
#include "media/MainThreadDispatcher.h"

extern "C" {
#include <libavutil/log.h>
}

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <strings.h>

namespace {

// The process-wide logger: the application's, or one made by GetLogger.
std::mutex LoggerLock; // guards Current and AutoLogger
TFFLogger* Current = nullptr;
std::unique_ptr<TFFLogger> AutoLogger;

// The libraries' threshold, read by their log callback on any thread.
std::atomic<int> AVThreshold = AV_LOG_INFO;
// Set once the callback is installed: only then is the libraries' level ours to set.
std::atomic<bool> AVLogInstalled = false;

TLogList& LibraryLines()
{
    static TLogList list;
    return list;
}

// Library lines up to this size are put together without touching the heap.
constexpr size_t LineBufferSize = 2048;

struct TMessageBuffer {
    char Fixed[LineBufferSize];
    std::string Heap;
};

const char* ItemName(void* AContext)
{
    const AVClass* cls = *static_cast<const AVClass* const*>(AContext);
    return cls->item_name ? cls->item_name(AContext) : cls->class_name;
}

bool HasClass(void* AContext)
{
    return AContext && *static_cast<const AVClass* const*>(AContext);
}

// "[name @ address] " for the context, after the same for its parent when it has one.
size_t WritePrefix(char* ABuffer, size_t ASize, void* AContext)
{
    const AVClass* cls = *static_cast<const AVClass* const*>(AContext);
    int length = 0;
    if (cls->parent_log_context_offset) {
        void* parent = *reinterpret_cast<void* const*>(
            static_cast<const char*>(AContext) + cls->parent_log_context_offset);
        if (HasClass(parent))
            length = std::snprintf(ABuffer, ASize, "[%s @ %p] ", ItemName(parent), parent);
    }
    length = std::max(length, 0);
    length += std::max(
        std::snprintf(ABuffer + length, ASize - length, "[%s @ %p] ", ItemName(AContext), AContext),
        0);
    return std::min(static_cast<size_t>(length), ASize - 1);
}

bool IsNullText(const char* AFormat, va_list AArgs)
{
    if (std::strcmp(AFormat, "%s") != 0)
        return false;
    va_list args;
    va_copy(args, AArgs);
    const bool null = va_arg(args, const char*) == nullptr;
    va_end(args);
    return null;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// The message with its prefix; the text is never cut, whatever its length.
std::string_view ComposeMessage(
    TMessageBuffer& ABuffer, void* AContext, bool ALineStarts, const char* AFormat, va_list AArgs)
{
    const size_t prefix = (ALineStarts && HasClass(AContext))
        ? WritePrefix(ABuffer.Fixed, LineBufferSize, AContext)
        : 0;
    if (IsNullText(AFormat, AArgs))
        return { ABuffer.Fixed, prefix };
    va_list args;
    va_copy(args, AArgs);
    const int length
        = std::vsnprintf(ABuffer.Fixed + prefix, LineBufferSize - prefix, AFormat, args);
    va_end(args);
    if (length < 0)
        return { ABuffer.Fixed, prefix };
    if (prefix + length < LineBufferSize)
        return { ABuffer.Fixed, prefix + length };
    ABuffer.Heap.assign(ABuffer.Fixed, prefix);
    ABuffer.Heap.resize(prefix + length);
    va_copy(args, AArgs);
    std::vsnprintf(ABuffer.Heap.data() + prefix, length + 1, AFormat, args);
    va_end(args);
    return ABuffer.Heap;
}
#pragma GCC diagnostic pop

void LibraryLogCallback(void* AContext, int ALevel, const char* AFormat, va_list AArgs)
{
    if (ALevel >= 0)
        ALevel &= 0xff; // the upper bits carry colour hints
    if (ALevel > AVThreshold.load(std::memory_order_relaxed))
        return;
    TMessageBuffer buffer;
    std::vector<TLibraryLine> lines
        = LibraryLines().Add(CurrentThreadId(), ALevel, [&](bool ALineStarts) {
              return ComposeMessage(buffer, AContext, ALineStarts, AFormat, AArgs);
          });
    if (lines.empty())
        return;
    TFFLogger& logger = GetLogger();
    for (TLibraryLine& line : lines)
        logger.DeliverLibraryLine(line.ThreadID, AVToLogLevel(line.Level), std::move(line.Text));
}

} // namespace

TFFLogger::TFFLogger()
    : FAutoCreated(false)
    , FLogLevel(AVToLogLevel(AVThreshold))
{
    std::unique_ptr<TFFLogger> replaced; // freed after the lock is released
    std::lock_guard guard(LoggerLock);
    if (Current && !Current->FAutoCreated)
        throw std::logic_error("Allow creating only one instance of TFFLogger.");
    replaced = std::move(AutoLogger);
    Current = this;
}

TFFLogger::TFFLogger(TAutoCreate)
    : FAutoCreated(true)
    , FLogLevel(AVToLogLevel(AVThreshold))
{
}

TFFLogger::~TFFLogger()
{
    std::lock_guard guard(LoggerLock);
    if (Current == this)
        Current = nullptr;
}

TFFLogger& GetLogger()
{
    std::lock_guard guard(LoggerLock);
    if (!Current) {
        AutoLogger.reset(new TFFLogger(TFFLogger::TAutoCreate {}));
        Current = AutoLogger.get();
    }
    return *Current;
}

void TFFLogger::SetLogLevel(TLogLevel AValue)
{
    if (FLogLevel.exchange(AValue) != AValue)
        ApplyLogLevel();
}

void TFFLogger::SetOnLog(TLogEvent AHandler)
{
    std::lock_guard guard(FLock);
    FOnLog = std::move(AHandler);
}

TLogInfo TFFLogger::LogInfo() const
{
    std::lock_guard guard(FLock);
    return FLogInfo;
}

void TFFLogger::OptLogLevel(const std::string& AArg)
{
    for (int level = llQuiet; level <= llDebug; ++level) {
        if (strcasecmp(AArg.c_str(), LogLevelName(static_cast<TLogLevel>(level))) == 0) {
            SetLogLevel(static_cast<TLogLevel>(level));
            return;
        }
    }
    int number = 0;
    const char* end = AArg.data() + AArg.size();
    const auto [stop, error] = std::from_chars(AArg.data(), end, number);
    if (AArg.empty() || error != std::errc() || stop != end)
        throw std::invalid_argument(FormatText("'%s' is not a valid integer value", AArg.c_str()));
    SetLogLevel(AVToLogLevel(number));
}

void TFFLogger::InstallAVLogCallback()
{
    av_log_set_callback(LibraryLogCallback);
    AVLogInstalled = true;
    ApplyLogLevel();
}

void TFFLogger::ApplyLogLevel()
{
    if (!AVLogInstalled)
        return;
    AVThreshold = LogLevelToAV(FLogLevel);
    av_log_set_level(AVThreshold);
}

void TFFLogger::Log(const void* ASender, TLogLevel ALogLevel, const std::string& ALogMsg)
{
    if (Passes(ALogLevel))
        Deliver({ ASender, CurrentThreadId(), ALogLevel, ALogMsg });
}

void TFFLogger::DeliverLibraryLine(uint32_t AThreadID, TLogLevel ALogLevel, std::string ALine)
{
    if (HasOnLog())
        Deliver({ this, AThreadID, ALogLevel, std::move(ALine) });
}

bool TFFLogger::Passes(TLogLevel ALogLevel) const
{
    return ALogLevel <= FLogLevel && HasOnLog();
}

bool TFFLogger::HasOnLog() const
{
    std::lock_guard guard(FLock);
    return static_cast<bool>(FOnLog);
}

void TFFLogger::Deliver(TLogInfo AInfo)
{
    if (FTriggerEventInMainThread)
        RunInMainThread([&] { Fire(AInfo); });
    else
        Fire(AInfo);
}

void TFFLogger::Fire(const TLogInfo& AInfo)
{
    TLogEvent handler;
    {
        std::lock_guard guard(FLock);
        FLogInfo = AInfo;
        handler = FOnLog;
    }
    if (handler)
        handler(AInfo.Sender, AInfo.ThreadID, AInfo.LogLevel, AInfo.LogMsg);
}
