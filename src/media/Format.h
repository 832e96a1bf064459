#pragma once
// printf-style formatting into a std::string.

#include <string>

std::string Format(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));
