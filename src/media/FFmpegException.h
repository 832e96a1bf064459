#pragma once
// The engine's exception: a fatal condition inside a job, or a value that could
// not be converted while options were parsed. Job-building calls catch it and
// report its text.

#include <stdexcept>
#include <string>

class FFmpegException : public std::runtime_error {
public:
    explicit FFmpegException(const std::string& message)
        : std::runtime_error(message)
    {
    }
};
