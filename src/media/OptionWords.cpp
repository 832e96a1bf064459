#include "media/OptionWords.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> SplitOptionWords(std::string_view text)
{
    // The string ends at its first zero byte, as the C string it used to be.
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = text.size();
    while (true) {
        while (i < n && IsBlank(text[i]))
            ++i;
        if (i >= n)
            return words;
        std::string& word = words.emplace_back();
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(text[i]))) {
            if (text[i] == '\\') {
                size_t run = 0;
                while (i < n && text[i] == '\\') {
                    ++run;
                    ++i;
                }
                if (i < n && text[i] == '"') {
                    word.append(run / 2, '\\');
                    if (run % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(run, '\\');
                }
            } else if (text[i] == '"') {
                if (quoted && i + 1 < n && text[i + 1] == '"') {
                    word += '"';
                    ++i;
                }
                quoted = !quoted;
                ++i;
            } else {
                word += text[i++];
            }
        }
    }
}
