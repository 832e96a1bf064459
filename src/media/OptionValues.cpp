#include "media/OptionValues.h"

#include <charconv>
#include <clocale>
#include <cstring>
#include <string>

namespace {

template <class T> bool FromChars(std::string_view text, T& value)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    T result {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return false;
    value = result;
    return true;
}

template <class T> bool FromDecimal(std::string_view text, T& value)
{
    if (FromChars(text, value))
        return true;
    const char* separator = std::localeconv()->decimal_point;
    if (!separator || std::strcmp(separator, ".") == 0 || !*separator)
        return false;
    std::string dotted(text);
    if (size_t at = dotted.find(separator); at != std::string::npos)
        dotted.replace(at, std::strlen(separator), ".");
    else
        return false;
    return FromChars(std::string_view(dotted), value);
}

} // namespace

bool ParseWhole(std::string_view text, int& value)
{
    return FromChars(text, value);
}

bool ParseWhole(std::string_view text, int64_t& value)
{
    return FromChars(text, value);
}

bool ParseDecimal(std::string_view text, float& value)
{
    return FromDecimal(text, value);
}

bool ParseDecimal(std::string_view text, double& value)
{
    return FromDecimal(text, value);
}
