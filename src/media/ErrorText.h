#pragma once
// The one way engine messages turn a media library error code into text:
// "prefix: text". Every component that reports a library code uses it.

#include <string>

// Text for a library error code: the library's own codes, negated C library error
// numbers, else "Error number %d occurred".
std::string ErrorText(int code);

// prefix + ": " + ErrorText(code)
std::string ErrorText(const std::string& prefix, int code);
