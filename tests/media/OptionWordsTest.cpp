#include "media/OptionWords.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> words;
};

TEST(OptionWords, SplitsByTheCommandLineRules)
{
    const SplitCase cases[] = {
        { "", {} },
        { " \t ", {} },
        { "  -c:a libmp3lame\t-b:a 128k ", { "-c:a", "libmp3lame", "-b:a", "128k" } },
        { "-metadata \"title=A B\"", { "-metadata", "title=A B" } },
        { "a\"b c\"d", { "ab cd" } },
        { "\"\"", { "" } },
        { "-", { "-" } },
        { R"(C:\dir\file)", { R"(C:\dir\file)" } },
        { R"(a\\"b c")", { R"(a\b c)" } },
        { R"(a\\\"b c)", { R"(a\"b)", "c" } },
        { R"(a\"b)", { R"(a"b)" } },
        { R"("say ""hi"" now")", { R"(say "hi)", "now" } },
        { R"("unterminated quote)", { "unterminated quote" } },
        { "trailing\\", { "trailing\\" } },
        { "Gr\xc3\xbc\xc3\x9f \"\xe6\x97\xa5 \xe6\x9c\xac\"",
            { "Gr\xc3\xbc\xc3\x9f", "\xe6\x97\xa5 \xe6\x9c\xac" } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitOptionWords(c.text), c.words) << "text: " << c.text;
}

TEST(OptionWords, StopsAtTheFirstZeroByte)
{
    EXPECT_EQ(
        SplitOptionWords(std::string_view("-an\0-vn", 7)), std::vector<std::string> { "-an" });
}

} // namespace
