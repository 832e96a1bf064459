#pragma once
// Common base of the media components (logger, decoder, encoder, player, PCM input).

#include <atomic>
#include <string>

class TFFBaseComponent {
public:
    TFFBaseComponent() = default;
    virtual ~TFFBaseComponent() = default;
    TFFBaseComponent(const TFFBaseComponent&) = delete;
    TFFBaseComponent& operator=(const TFFBaseComponent&) = delete;

    const std::string& Version() const { return FVersion; }

    // Milliseconds; the read time-out is what the interrupt callbacks of the
    // components compare against, on their worker threads.
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int AValue) { FReadTimeout = AValue; }
    int WriteTimeout() const { return FWriteTimeout; }
    void SetWriteTimeout(int AValue) { FWriteTimeout = AValue; }

private:
    const std::string FVersion = "1.0";
    std::atomic<int> FReadTimeout = 30000;
    std::atomic<int> FWriteTimeout = 30000;
};
