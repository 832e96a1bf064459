// Preset texts (key=value lines) and preset files.

#include "media/OptionParser.h"

#include "media/FFLogger.h"
#include "media/LastParseError.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace {

std::string Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The lines worth applying: trimmed, without empty ones and "#" comments.
std::vector<std::string> PresetLines(std::istream& in)
{
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        if (!line.empty() && line[0] != '#')
            lines.push_back(std::move(line));
    }
    return lines;
}

struct TPresetPair {
    std::string key;
    std::string value;
    bool valid;
};

TPresetPair SplitPresetLine(const std::string& line)
{
    const size_t equals = line.find('=');
    TPresetPair pair { Trim(line.substr(0, equals)),
        equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1)), false };
    pair.valid = !pair.key.empty() && !pair.value.empty();
    return pair;
}

std::string InvalidPresetText(const std::string& line, const TPresetPair& pair)
{
    return "Invalid option or argument: \"" + line + "\", parsed as \"" + pair.key + "\" = \""
        + pair.value + "\"";
}

} // namespace

void TOptionParser::ParsePresets(const std::string& presets)
{
    if (presets.empty())
        return;
    GetLogger().Log(FSender, llInfo, "ParsePresets: " + presets);
    std::string text = Trim(presets);
    ReplaceAll(text, "\r\n", "\n");
    ReplaceAll(text, "\r", "\n");
    ReplaceAll(text, "<CRLF>", "\n");
    std::istringstream in(text);
    LogFatalErrors([&] {
        for (const std::string& line : PresetLines(in))
            ApplyPresetTextLine(line);
    });
}

void TOptionParser::ApplyPresetTextLine(const std::string& line)
{
    const TPresetPair pair = SplitPresetLine(line);
    if (!pair.valid) {
        LastParseError() = "Invalid syntax: \"" + line + "\"";
        if (FHaltOnInvalidOption)
            Raise(LastParseError());
        GetLogger().Log(FSender, llError, LastParseError());
    }
    LastParseError().clear();
    if (ApplyPresetPair(pair.key, pair.value) < 0) {
        const std::string message = InvalidPresetText(line, pair);
        GetLogger().Log(FSender, llError, message);
        AppendLastParseError(message);
        if (FHaltOnInvalidOption)
            Raise(LastParseError());
    }
}

int TOptionParser::ApplyPresetPair(const std::string& key, const std::string& value)
{
    for (const char* codecKey : { "acodec", "vcodec", "scodec", "dcodec" })
        if (strcasecmp(key.c_str(), codecKey) == 0)
            return opt_codec_kind(codecKey, value);
    return FOptions.opt_default(key, value);
}

// -apre, -vpre, -spre, -fpre: the value names a preset file.
int TOptionParser::opt_preset(const std::string&, const std::string& arg)
{
    std::error_code error;
    std::ifstream in;
    if (std::filesystem::is_regular_file(arg, error))
        in.open(arg);
    if (!in.is_open())
        return Refuse("Preset file \"" + arg + "\" not found");
    for (const std::string& line : PresetLines(in)) {
        const TPresetPair pair = SplitPresetLine(line);
        if (!pair.valid)
            return Refuse(arg + ": Invalid syntax: \"" + line + "\"");
        if (ApplyPresetPair(pair.key, pair.value) < 0) {
            const std::string message = arg + ": " + InvalidPresetText(line, pair);
            GetLogger().Log(FSender, llError, message);
            AppendLastParseError(message);
            if (FHaltOnInvalidOption)
                return -22;
        }
    }
    return 0;
}
