// Handlers of the mapping options and their kin: they store what they parse into
// the per-file context and report syntax errors; opening the output applies them.

#include "media/OptionParser.h"

#include "media/FFmpegException.h"
#include "media/OptionValues.h"
#include "media/OptionsLog.h"
#include "media/StreamSpecifier.h"

extern "C" {
#include <libavutil/parseutils.h>
}

#include <charconv>
#include <ctime>

namespace {

// The number streams may be given ids for with -streamid.
constexpr int MaxStreams = 1024;

// A leading decimal number; the rest of the text follows it. Without digits the
// number is 0 and nothing is taken, as strtol reads.
int LeadingNumber(std::string_view& text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        value = -1;
    text.remove_prefix(end - text.data());
    return value;
}

std::string_view AfterColon(std::string_view text)
{
    return !text.empty() && text[0] == ':' ? text.substr(1) : text;
}

} // namespace

int TOptionParser::InputStreamCount(int file) const
{
    const AVFormatContext* input = FInputFiles && file >= 0 ? FInputFiles(file) : nullptr;
    return input ? static_cast<int>(input->nb_streams) : -1;
}

// [-]file[:stream_specifier][,syncfile[:sync_stream_specifier]]
int TOptionParser::opt_map(const std::string&, const std::string& arg)
{
    std::string_view text(arg);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    const size_t comma = text.find(',');
    std::string_view sync = comma == std::string_view::npos ? "" : text.substr(comma + 1);
    text = text.substr(0, comma);

    TStreamMap syncTarget { 0, -1, 0, -1, 0 };
    if (comma != std::string_view::npos) {
        const int syncFile = LeadingNumber(sync);
        const int count = InputStreamCount(syncFile);
        if (count < 0)
            return Refuse("Invalid sync file index: " + std::to_string(syncFile) + ".");
        const AVFormatContext* input = FInputFiles(syncFile);
        for (int i = 0; i < count && syncTarget.sync_file_index < 0; ++i)
            if (CheckStreamSpecifier(input, input->streams[i], AfterColon(sync)) == 1)
                syncTarget = { 0, 0, 0, syncFile, i };
        if (syncTarget.sync_file_index < 0)
            return Refuse(
                "Sync stream specification in map " + arg + " does not match any streams.");
    }

    const int file = LeadingNumber(text);
    const int count = InputStreamCount(file);
    if (count < 0)
        return Refuse("Invalid input file index: " + std::to_string(file) + ".");
    const AVFormatContext* input = FInputFiles(file);
    const std::string_view spec = AfterColon(text);
    bool matched = false;
    if (negative) {
        for (TStreamMap& map : FContext.stream_maps)
            if (map.file_index == file
                && CheckStreamSpecifier(input, input->streams[map.stream_index], spec) > 0) {
                map.disabled = 1;
                matched = true;
            }
    } else {
        for (int i = 0; i < count; ++i) {
            if (CheckStreamSpecifier(input, input->streams[i], spec) <= 0)
                continue;
            const bool ownSync = syncTarget.sync_file_index < 0;
            FContext.stream_maps.push_back(
                { 0, file, i, ownSync ? file : syncTarget.sync_file_index,
                    ownSync ? i : syncTarget.sync_stream_index });
            matched = true;
        }
    }
    if (!matched)
        return Refuse("Stream map \"" + arg + "\" matches no streams.");
    return 0;
}

namespace {

// Numbers joined by "." filling `values` exactly, and nothing else.
bool ReadDotted(std::string_view text, std::initializer_list<int*> values)
{
    bool first = true;
    for (int* value : values) {
        if (!first) {
            if (text.empty() || text[0] != '.')
                return false;
            text.remove_prefix(1);
        }
        first = false;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
        if (error != std::errc())
            return false;
        text.remove_prefix(end - text.data());
    }
    return text.empty();
}

} // namespace

// file.stream.channel[:outfile.outstream], or -1[:outfile.outstream] for a muted
// channel.
int TOptionParser::opt_map_channel(const std::string&, const std::string& arg)
{
    TAudioChannelMap map;
    const size_t colon = arg.find(':');
    const std::string_view source = std::string_view(arg).substr(0, colon);
    const bool muted = ReadDotted(source, { &map.channel_idx }) && map.channel_idx == -1;
    const bool valid
        = (muted || ReadDotted(source, { &map.file_idx, &map.stream_idx, &map.channel_idx }))
        && (colon == std::string::npos
            || ReadDotted(
                std::string_view(arg).substr(colon + 1), { &map.ofile_idx, &map.ostream_idx }));
    if (!valid)
        return Refuse(
            "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]");
    if (muted) {
        map.file_idx = map.stream_idx = -1;
        FContext.audio_channel_maps.push_back(map);
        return 0;
    }

    const int count = InputStreamCount(map.file_idx);
    if (count < 0)
        return Refuse("mapchan: invalid input file index: " + std::to_string(map.file_idx));
    const std::string where = std::to_string(map.file_idx) + "." + std::to_string(map.stream_idx);
    if (map.stream_idx < 0 || map.stream_idx >= count)
        return Refuse("mapchan: invalid input file stream index #" + where);
    const AVCodecParameters* stream = FInputFiles(map.file_idx)->streams[map.stream_idx]->codecpar;
    if (stream->codec_type != AVMEDIA_TYPE_AUDIO)
        return Refuse("mapchan: stream #" + where + " is not an audio stream.");
    if (map.channel_idx < 0 || map.channel_idx >= stream->ch_layout.nb_channels)
        return Refuse(
            "mapchan: invalid audio channel #" + where + "." + std::to_string(map.channel_idx));
    FContext.audio_channel_maps.push_back(map);
    return 0;
}

namespace {

// g, or s, c, p with an optional ":index".
bool ParseMetaType(std::string_view text, TMetadataMap& map)
{
    if (text.empty()) {
        map.type = 'g';
        return true;
    }
    map.type = text[0];
    switch (text[0]) {
    case 'g':
        return true;
    case 's':
    case 'c':
    case 'p':
        text.remove_prefix(1);
        if (!text.empty() && text[0] == ':') {
            text.remove_prefix(1);
            map.index = LeadingNumber(text);
        }
        return true;
    default:
        return false;
    }
}

} // namespace

// -map_metadata[:outspec] infile[:inspec]
int TOptionParser::opt_map_metadata(const std::string& opt, const std::string& arg)
{
    std::array<TMetadataMap, 2> maps;
    std::string_view in(arg);
    maps[1].file = LeadingNumber(in);
    if (!ParseMetaType(AfterColon(in), maps[1]))
        return Refuse("Invalid metadata type " + std::string(AfterColon(in)) + ".");
    const size_t colon = opt.find(':');
    const std::string_view out
        = colon == std::string::npos ? std::string_view() : std::string_view(opt).substr(colon + 1);
    if (!ParseMetaType(out, maps[0]))
        return Refuse("Invalid metadata type " + std::string(out) + ".");
    FContext.meta_data_maps.push_back(maps);
    for (const TMetadataMap& map : maps) {
        FContext.metadata_global_manual |= map.type == 'g';
        FContext.metadata_streams_manual |= map.type == 's';
        FContext.metadata_chapters_manual |= map.type == 'c';
    }
    return 0;
}

int TOptionParser::opt_map_meta_data(const std::string& opt, const std::string& arg)
{
    LogToLibrary(AV_LOG_WARNING,
        "-map_meta_data is deprecated and will be removed soon. Use -map_metadata instead.");
    return opt_map_metadata(opt, arg);
}

int TOptionParser::opt_recording_timestamp(const std::string& opt, const std::string& arg)
{
    int64_t microseconds = 0;
    if (av_parse_time(&microseconds, arg.c_str(), 0) < 0)
        throw FFmpegException("Invalid date specification for " + opt + ": " + arg);
    const std::time_t seconds = microseconds / 1000000;
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char text[128];
    std::strftime(text, sizeof text, "creation_time=%Y-%m-%dT%H:%M:%S%z", &utc);
    const std::string entry = text;
    const int result = ApplyOption("metadata", &entry);
    LogToLibrary(
        AV_LOG_WARNING, opt + " is deprecated, set the \"creation_time\" metadata tag instead.");
    return result < 0 ? result : 0;
}

int TOptionParser::opt_attach(const std::string&, const std::string& arg)
{
    FContext.attachments.push_back(arg);
    return 0;
}

// index:value, the id the output stream of that index gets.
int TOptionParser::opt_streamid(const std::string& opt, const std::string& arg)
{
    const size_t colon = arg.find(':');
    if (colon == std::string::npos)
        return Refuse("Invalid value \"" + arg + "\" for option \"" + opt
            + "\", required syntax is \"index:value\"");
    const std::string indexText = arg.substr(0, colon);
    const std::string valueText = arg.substr(colon + 1);
    int index = -1;
    if (!ParseWhole(indexText, index) || index < 0 || index > MaxStreams - 1)
        return Refuse("The value for \"" + opt + "\" was \"" + indexText
            + "\" which is not within 0 - " + std::to_string(MaxStreams - 1));
    int value = -1;
    if (!ParseWhole(valueText, value) || value < 0)
        return Refuse("The value for \"" + opt + "\" was \"" + valueText
            + "\" which is not within 0 - " + std::to_string(INT_MAX));
    if (FContext.streamid_map.size() < static_cast<size_t>(index) + 1)
        FContext.streamid_map.resize(index + 1);
    FContext.streamid_map[index] = value;
    return 0;
}
