#include "media/StreamSpecifier.h"

#include <charconv>
#include <string>

namespace {

// A whole decimal number, or -1 when the text is not one.
long long WholeNumber(std::string_view text)
{
    long long value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return -1;
    return value;
}

bool MediaTypeOf(char letter, AVMediaType& type)
{
    switch (letter) {
    case 'a':
        type = AVMEDIA_TYPE_AUDIO;
        return true;
    case 'v':
        type = AVMEDIA_TYPE_VIDEO;
        return true;
    case 's':
        type = AVMEDIA_TYPE_SUBTITLE;
        return true;
    case 'd':
        type = AVMEDIA_TYPE_DATA;
        return true;
    case 't':
        type = AVMEDIA_TYPE_ATTACHMENT;
        return true;
    default:
        return false;
    }
}

int Invalid(const AVFormatContext* file, std::string_view spec)
{
    av_log(const_cast<AVFormatContext*>(file), AV_LOG_ERROR, "Invalid stream specifier: \"%s\"\n",
        std::string(spec).c_str());
    return AVERROR(EINVAL);
}

int MatchType(
    const AVFormatContext* file, const AVStream* stream, AVMediaType type, std::string_view rest)
{
    if (rest.empty())
        return stream->codecpar->codec_type == type;
    long long wanted = rest[0] == ':' ? WholeNumber(rest.substr(1)) : -1;
    if (wanted < 0)
        return -1;
    for (unsigned i = 0; i < file->nb_streams; ++i)
        if (file->streams[i]->codecpar->codec_type == type && wanted-- == 0)
            return file->streams[i] == stream;
    return 0;
}

int MatchProgram(const AVFormatContext* file, const AVStream* stream, std::string_view rest)
{
    size_t colon = rest.find(':');
    std::string_view idText = rest.substr(0, colon);
    int id = 0;
    auto [end, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (idText.empty() || error != std::errc() || end != idText.data() + idText.size())
        return -1;
    long long wanted = -1;
    if (colon != std::string_view::npos && (wanted = WholeNumber(rest.substr(colon + 1))) < 0)
        return -1;
    for (unsigned p = 0; p < file->nb_programs; ++p) {
        const AVProgram* program = file->programs[p];
        if (program->id != id)
            continue;
        if (wanted >= 0)
            return wanted < program->nb_stream_indexes
                && program->stream_index[wanted] == static_cast<unsigned>(stream->index);
        for (unsigned j = 0; j < program->nb_stream_indexes; ++j)
            if (program->stream_index[j] == static_cast<unsigned>(stream->index))
                return 1;
    }
    return 0;
}

} // namespace

int CheckStreamSpecifier(const AVFormatContext* file, const AVStream* stream, std::string_view spec)
{
    if (spec.empty())
        return 1;
    int result = -1;
    AVMediaType type;
    if (spec[0] >= '0' && spec[0] <= '9') {
        long long index = WholeNumber(spec);
        result = index < 0 ? -1 : index == stream->index;
    } else if (MediaTypeOf(spec[0], type)) {
        result = MatchType(file, stream, type, spec.substr(1));
    } else if (spec.size() > 1 && spec[0] == 'p' && spec[1] == ':') {
        result = MatchProgram(file, stream, spec.substr(2));
    }
    return result < 0 ? Invalid(file, spec) : result;
}
