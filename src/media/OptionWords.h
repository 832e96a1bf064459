#pragma once
// Splitting an option string into words, with the quoting rules of a Windows
// command line: spaces and tabs separate words outside double quotes; 2k
// backslashes before a quote give k backslashes and a quote mark, 2k+1 give k
// backslashes and a literal quote; "" inside a quoted part gives one quote and ends
// the part; other backslashes are kept as they are.

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitOptionWords(std::string_view text);
