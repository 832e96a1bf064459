#pragma once

#include <filesystem>
#include <string>

// A file name as the media libraries take it: UTF-8, whatever its length. Every file
// name handed to the libraries goes through here.
inline std::string ToLibraryPath(const std::filesystem::path& APath)
{
    const std::u8string text = APath.u8string();
    return std::string(text.begin(), text.end());
}
