#pragma once

#include <stdexcept>

// Raised by the components for failures that the caller is expected to catch and show.
class EAuException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
