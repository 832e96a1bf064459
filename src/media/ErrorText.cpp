#include "media/ErrorText.h"

extern "C" {
#include <libavutil/error.h>
}

#include <array>
#include <cstring>
#include <utility>

namespace {

// The library's own codes with the texts users have always seen for them.
const std::array<std::pair<int, const char*>, 15> libraryTexts { {
    { AVERROR_BSF_NOT_FOUND, "Bitstream filter not found" },
    { AVERROR_DECODER_NOT_FOUND, "Decoder not found" },
    { AVERROR_DEMUXER_NOT_FOUND, "Demuxer not found" },
    { AVERROR_ENCODER_NOT_FOUND, "Encoder not found" },
    { AVERROR_EOF, "End of file" },
    { AVERROR_EXIT, "Immediate exit requested" },
    { AVERROR_FILTER_NOT_FOUND, "Filter not found" },
    { AVERROR_INVALIDDATA, "Invalid data found when processing input" },
    { AVERROR_MUXER_NOT_FOUND, "Muxer not found" },
    { AVERROR_OPTION_NOT_FOUND, "Option not found" },
    { AVERROR_PATCHWELCOME, "Not yet implemented in FFmpeg, patches welcome" },
    { AVERROR_PROTOCOL_NOT_FOUND, "Protocol not found" },
    { AVERROR_STREAM_NOT_FOUND, "Stream not found" },
    { AVERROR_BUG, "Internal bug" },
    { AVERROR_BUG2, "Internal bug" },
} };

} // namespace

std::string ErrorText(int code)
{
    for (const auto& [value, text] : libraryTexts)
        if (value == code)
            return text;
    // Only values in errno's range are C library numbers; anything else that the
    // library knows is one of its newer tagged codes.
    if (code < 0 && code > -4096)
        if (const char* text = strerrordesc_np(-code))
            return text;
    if (code < -4096) {
        char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
        if (av_strerror(code, buffer, sizeof buffer) == 0)
            return buffer;
    }
    return "Error number " + std::to_string(code) + " occurred";
}

std::string ErrorText(const std::string& prefix, int code)
{
    return prefix + ": " + ErrorText(code);
}
