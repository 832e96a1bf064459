#include "media/OptionsContext.h"

#include "media/ErrorText.h"
#include "media/FFmpegException.h"
#include "media/StreamSpecifier.h"

void TOptionsContext::Reset(bool afterInput)
{
    const int64_t duration = recording_time;
    *this = TOptionsContext();
    if (afterInput)
        recording_time = duration;
}

const TSpecifierOpt* MatchPerStreamOpt(
    const TSpecList& list, const AVFormatContext* file, const AVStream* stream)
{
    const TSpecifierOpt* result = nullptr;
    for (const TSpecifierOpt& option : list) {
        int match = CheckStreamSpecifier(file, stream, option.specifier);
        if (match < 0)
            throw FFmpegException(ErrorText("check_stream_specifier", match));
        if (match > 0)
            result = &option;
    }
    return result;
}
