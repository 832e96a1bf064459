#pragma once
// Raised inside a job for a condition that ends it; the job body reports the text.

#include <stdexcept>

class FFmpegException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
