// What an output takes over from the inputs besides their samples: tags and chapters.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"
#include "media/StreamSpecifier.h"

#include <charconv>
#include <climits>
#include <memory>

namespace {

// The tag dictionary a metadata map names in a file, or nullptr with the kind of
// element whose index is out of range.
AVDictionary** MappedMetadata(AVFormatContext* AFile, const TMetadataMap& AMap, const char*& AKind)
{
    auto in = [&AMap](unsigned ACount) { return AMap.index >= 0 && unsigned(AMap.index) < ACount; };
    switch (AMap.type) {
    case 's':
        AKind = "stream";
        return in(AFile->nb_streams) ? &AFile->streams[AMap.index]->metadata : nullptr;
    case 'c':
        AKind = "chapter";
        return in(AFile->nb_chapters) ? &AFile->chapters[AMap.index]->metadata : nullptr;
    case 'p':
        AKind = "program";
        return in(AFile->nb_programs) ? &AFile->programs[AMap.index]->metadata : nullptr;
    default:
        return &AFile->metadata;
    }
}

// A whole decimal number, or -1.
int IndexIn(std::string_view AText)
{
    int value = -1;
    auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    return error == std::errc() && end == AText.data() + AText.size() ? value : -1;
}

// The streams that "s:" and a stream specifier name; a plain index must be a stream of
// the output.
std::vector<AVDictionary**> StreamTargets(
    AVFormatContext* AOc, const std::string& ASpec, std::string_view AStreams, std::string& AError)
{
    int index = IndexIn(AStreams);
    if (!AStreams.empty() && AStreams.find_first_not_of("0123456789") == AStreams.npos
        && (index < 0 || unsigned(index) >= AOc->nb_streams)) {
        AError = FormatText("Invalid stream index %d in metadata specifier.", index);
        return {};
    }
    std::vector<AVDictionary**> targets;
    for (unsigned i = 0; i < AOc->nb_streams; ++i) {
        int match = CheckStreamSpecifier(AOc, AOc->streams[i], AStreams);
        if (match < 0) {
            AError = FormatText("Invalid metadata specifier %s.", ASpec.c_str());
            return {};
        }
        if (match > 0)
            targets.push_back(&AOc->streams[i]->metadata);
    }
    return targets;
}

// The dictionaries a -metadata specifier names ("", "g", "s[:stream specifier]",
// "c:chapter", "p:program"); on a bad specifier AError says why.
std::vector<AVDictionary**> MetadataTargets(
    AVFormatContext* AOc, const std::string& ASpec, std::string& AError)
{
    std::vector<AVDictionary**> targets;
    char type = ASpec.empty() ? 'g' : ASpec[0];
    bool hasRest = ASpec.size() > 2 && ASpec[1] == ':';
    std::string_view rest = hasRest ? std::string_view(ASpec).substr(2) : std::string_view();
    int index = IndexIn(rest);
    if (ASpec.size() > 1 && !hasRest)
        type = '?';
    switch (type) {
    case 'g':
        targets.push_back(&AOc->metadata);
        break;
    case 's':
        return StreamTargets(AOc, ASpec, rest, AError);
    case 'c':
        if (index < 0 || unsigned(index) >= AOc->nb_chapters)
            AError = FormatText("Invalid chapter index %d in metadata specifier.", index);
        else
            targets.push_back(&AOc->chapters[index]->metadata);
        break;
    case 'p':
        if (index >= 0 && unsigned(index) < AOc->nb_programs) {
            targets.push_back(&AOc->programs[index]->metadata);
            break;
        }
        [[fallthrough]];
    default:
        AError = FormatText("Invalid metadata specifier %s.", ASpec.c_str());
    }
    return targets;
}

// A chapter not yet handed to a context.
struct TChapterDeleter {
    void operator()(AVChapter* p) const
    {
        av_dict_free(&p->metadata);
        av_free(p);
    }
};
using TChapterPtr = std::unique_ptr<AVChapter, TChapterDeleter>;

// A copy of a chapter with new bounds; its tags too unless AWithTags is false.
TChapterPtr CopyChapter(const AVChapter* AFrom, int64_t AStart, int64_t AEnd, bool AWithTags)
{
    TChapterPtr to(static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter))));
    if (!to)
        return nullptr;
    to->id = AFrom->id;
    to->time_base = AFrom->time_base;
    to->start = AStart;
    to->end = AEnd;
    if (AWithTags && av_dict_copy(&to->metadata, AFrom->metadata, 0) < 0)
        return nullptr;
    return to;
}

// Hands the chapter to the context, which frees it with itself; false when out of memory.
bool AppendChapter(AVFormatContext* AOc, TChapterPtr& AChapter)
{
    void* grown = av_realloc_array(AOc->chapters, AOc->nb_chapters + 1, sizeof(AVChapter*));
    if (!grown)
        return false;
    AOc->chapters = static_cast<AVChapter**>(grown);
    AOc->chapters[AOc->nb_chapters++] = AChapter.release();
    return true;
}

} // namespace

void TCustomFFmpeg::CopyChapters(AVFormatContext* AOc, const TOutputFile& AOf, bool AJoining)
{
    int source = FOptions.chapters_input_file;
    if (source == INT_MAX) {
        // A joined output's timeline is input 0's only at its start.
        source = -1;
        for (int i = 0; i < (AJoining ? 1 : InputCount()) && source < 0; ++i)
            if (FInputFiles[i].ctx->nb_chapters)
                source = i;
    } else if (source >= InputCount()) {
        Fatal(FormatText("Invalid input file index %d in chapter mapping.", source));
    }
    if (source < 0)
        return;
    const TInputFile& file = FInputFiles[source];
    for (unsigned i = 0; i < file.ctx->nb_chapters; ++i) {
        const AVChapter* chapter = file.ctx->chapters[i];
        int64_t offset
            = av_rescale_q(AOf.start_time - file.ts_offset, AV_TIME_BASE_Q, chapter->time_base);
        int64_t limit = AOf.recording_time == INT64_MAX
            ? INT64_MAX
            : av_rescale_q(AOf.recording_time, AV_TIME_BASE_Q, chapter->time_base);
        if (chapter->end <= offset)
            continue;
        if (limit != INT64_MAX && chapter->start - offset >= limit)
            break;
        TChapterPtr copy = CopyChapter(chapter, std::max<int64_t>(0, chapter->start - offset),
            std::min(limit, chapter->end - offset), !FOptions.metadata_chapters_manual);
        if (!copy || !AppendChapter(AOc, copy))
            Fatal(ErrorText("Could not copy the chapters", AVERROR(ENOMEM)));
    }
}

void TCustomFFmpeg::ApplyMetadataMaps(AVFormatContext* AOc)
{
    for (const auto& maps : FOptions.meta_data_maps) {
        int input = maps[1].file;
        if (input < 0)
            continue; // the map only turns the automatic copies off
        if (input >= InputCount())
            Fatal(FormatText(
                "Invalid %s index %d while processing metadata maps", "input file", input));
        AVFormatContext* files[2] = { AOc, FInputFiles[input].ctx.get() };
        AVDictionary** dicts[2] = {};
        for (int j = 0; j < 2; ++j) {
            const char* kind = "";
            dicts[j] = MappedMetadata(files[j], maps[j], kind);
            if (!dicts[j])
                Fatal(FormatText(
                    "Invalid %s index %d while processing metadata maps", kind, maps[j].index));
        }
        av_dict_copy(dicts[0], *dicts[1], AV_DICT_DONT_OVERWRITE);
    }
}

void TCustomFFmpeg::CopyMetadata(AVFormatContext* AOc, int AFileIndex, int64_t ARecordingTime)
{
    ApplyMetadataMaps(AOc);
    if (!FOptions.metadata_global_manual) {
        av_dict_copy(&AOc->metadata, FInputFiles[0].ctx->metadata, AV_DICT_DONT_OVERWRITE);
        if (ARecordingTime != INT64_MAX)
            av_dict_set(&AOc->metadata, "duration", nullptr, 0);
    }
    if (!FOptions.metadata_streams_manual)
        for (TOutputStream& ost : FOutputStreams)
            if (ost.file_index == AFileIndex && ost.source_index >= 0)
                av_dict_copy(&ost.st->metadata, FInputStreams[ost.source_index].st->metadata,
                    AV_DICT_DONT_OVERWRITE);
    for (const TSpecifierOpt& opt : FOptions.metadata)
        SetMetadata(AOc, opt);
}

void TCustomFFmpeg::SetMetadata(AVFormatContext* AOc, const TSpecifierOpt& AOpt)
{
    const std::string& text = std::get<std::string>(AOpt.u);
    auto eq = text.find('=');
    if (eq == std::string::npos)
        Fatal(FormatText("No \"=\" character in metadata string %s.", text.c_str()));
    std::string key = text.substr(0, eq);
    std::string value = text.substr(eq + 1);
    std::string error;
    std::vector<AVDictionary**> targets = MetadataTargets(AOc, AOpt.specifier, error);
    if (!error.empty())
        Fatal(error);
    for (AVDictionary** dict : targets)
        av_dict_set(dict, key.c_str(), value.empty() ? nullptr : value.c_str(), 0);
}
