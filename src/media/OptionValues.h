#pragma once
// Number texts of option values: whole texts only, no surrounding blanks.

#include <cstdint>
#include <string_view>

// A decimal integer with an optional sign, within the type's range.
bool ParseWhole(std::string_view text, int& value);
bool ParseWhole(std::string_view text, int64_t& value);

// A decimal number with "." as separator, or with the separator of the user's locale.
bool ParseDecimal(std::string_view text, float& value);
bool ParseDecimal(std::string_view text, double& value);
