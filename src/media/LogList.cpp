#include "media/LogList.h"

#include "media/FormatText.h"

namespace {

// Length of the valid UTF-8 sequence at the start of AText, 0 when it is invalid.
size_t SequenceLength(std::string_view AText)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(AText[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else
        return 0;
    if (AText.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string ValidUtf8(std::string_view AText)
{
    std::string text;
    text.reserve(AText.size());
    while (!AText.empty()) {
        const size_t length = SequenceLength(AText);
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            AText.remove_prefix(1);
        } else {
            text.append(AText.substr(0, length));
            AText.remove_prefix(length);
        }
    }
    return text;
}

std::vector<TLibraryLine> TLogList::Take(
    uint32_t AThreadID, int ALevel, std::string& APending, std::string_view AText)
{
    std::vector<TLibraryLine> lines;
    if (!AText.empty() && AText.back() == '\n' && AText == FPrevious) {
        ++FRepeated;
        return lines;
    }
    // A line sent twice in a row is reported too (count 1), so that no
    // occurrence goes missing from the log.
    if (FRepeated > 0)
        lines.push_back(
            { AThreadID, ALevel, FormatText("    Last message repeated %d times", FRepeated) });
    FRepeated = 0;
    FPrevious = AText;

    APending += AText;
    size_t start = 0;
    for (size_t end; (end = APending.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back({ AThreadID, ALevel,
            ValidUtf8(std::string_view(APending).substr(start, end - start)) });
    APending.erase(0, start);
    return lines;
}

void TLogList::Clear()
{
    std::lock_guard guard(FLock);
    FPending.clear();
    FPrevious.clear();
    FRepeated = 0;
}
