#pragma once
// printf-style formatting into a std::string, for messages built from a format
// text and values ("%d", "%s", "%0.3f" and the like).

#include <string>
#include <type_traits>

std::string FormatText(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));

namespace formattext_detail {
// Lets callers pass std::string where the format says "%s".
inline const char* CArg(const std::string& AValue)
{
    return AValue.c_str();
}
template <typename T> T CArg(T AValue) requires std::is_scalar_v<T>
{
    return AValue;
}
} // namespace formattext_detail

// The same for values of any scalar type or std::string.
template <typename... Args> std::string FormatValues(const char* AFormat, const Args&... AArgs)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return FormatText(AFormat, formattext_detail::CArg(AArgs)...);
#pragma GCC diagnostic pop
}
