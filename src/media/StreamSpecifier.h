#pragma once
// Stream specifiers, the text after ":" in per-stream option names: "" (every
// stream), "2" (index), "a", "v", "s", "d", "t" with an optional ":n" (n-th stream
// of that type), "p:program[:n]".

extern "C" {
#include <libavformat/avformat.h>
}

#include <string_view>

// 1 when the stream matches, 0 when not; AVERROR(EINVAL) for a specifier that is not
// one of the forms above, which is also logged at the error level.
int CheckStreamSpecifier(
    const AVFormatContext* file, const AVStream* stream, std::string_view spec);
