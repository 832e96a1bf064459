#pragma once
// Assembles the media libraries' log output into whole lines. The libraries may send
// one line in several calls, from many threads at once, so partial text is kept per
// thread; immediate repetitions of a whole line are counted instead of repeated.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TLibraryLine {
    uint32_t ThreadID;
    int Level; // on the libraries' scale
    std::string Text; // valid UTF-8, without its line feed
};

class TLogList {
public:
    // Adds one message from AThreadID. AText(ALineStarts) gives the message's text; it
    // runs under the list's lock, told whether the thread's pending text is empty (so
    // that the caller puts a prefix only before the start of a line). Returns the
    // lines completed by this message, in order, for delivery after the lock is gone.
    template <typename Compose>
    std::vector<TLibraryLine> Add(uint32_t AThreadID, int ALevel, Compose&& AText)
    {
        std::lock_guard guard(FLock);
        std::string& pending = FPending[AThreadID];
        return Take(AThreadID, ALevel, pending, AText(pending.empty()));
    }

    // Drops partial lines and the repetition state.
    void Clear();

private:
    std::vector<TLibraryLine> Take(
        uint32_t AThreadID, int ALevel, std::string& APending, std::string_view AText);

    std::mutex FLock; // guards everything below
    std::unordered_map<uint32_t, std::string> FPending; // by thread; never shrinks
    std::string FPrevious;
    int FRepeated = 0;
};

// The text with every byte sequence that is not valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view AText);
