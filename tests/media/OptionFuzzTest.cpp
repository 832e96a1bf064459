#include "media/FFmpegException.h"
#include "media/OptionParser.h"
#include "media/OptionWords.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <random>

namespace {

// Option names, values and bytes that reach the parser's corners: quotes and
// backslashes for the splitter, table names with odd values for the handlers.
std::string RandomOptionText(std::mt19937& random)
{
    static const char* const pieces[] = { "-", "--", "-no", ":", ":a", ":v:0", ":p:", "\"", "\\",
        "\\\\\"", "\"\"", " ", "\t", "=", "<CRLF>", "#", "-1", "0", "2", "99999999999999999999",
        "1.5", "00:00:01", "abc", "\xff\xfe", "\xc3\xa9", "0.0.0", "-1:0.1", "0:a,0:v", "x:1" };
    const auto table = TOptionParser::Table();
    std::uniform_int_distribution<int> count(0, 16);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    std::uniform_int_distribution<size_t> entry(0, table.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (int n = count(random); n > 0; --n) {
        switch (kind(random)) {
        case 0:
            text += std::string(" -") + table[entry(random)].name;
            break;
        case 1:
            text += pieces[piece(random)];
            break;
        case 2:
            text += static_cast<char>(byte(random));
            break;
        default:
            text += ' ';
            text += pieces[piece(random)];
            break;
        }
    }
    return text;
}

TEST(OptionFuzz, ArbitraryTextNeverBreaksTheSplitterOrTheParser)
{
    av_log_set_callback([](void*, int, const char*, va_list) {});
    std::mt19937 random(20261211);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomOptionText(random);
        SplitOptionWords(text);
        for (bool halt : { true, false }) {
            TOptionParser parser;
            parser.SetHaltOnInvalidOption(halt);
            try {
                parser.ParseOptions(text);
                parser.ParsePresets(text);
            } catch (const FFmpegException&) {
            }
        }
    }
    av_log_set_callback(av_log_default_callback);
}

} // namespace
