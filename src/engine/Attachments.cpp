// Files carried whole inside a container: attached to an output, or written out from
// an input.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"
#include "media/LibAVPtr.h"
#include "media/StreamSpecifier.h"
#include "media/ToLibraryPath.h"

#include <filesystem>

namespace {

// The whole file, padded as stream side data must be; on failure AError says why.
LibAVBytesPtr ReadAttachment(
    const std::string& AName, const AVIOInterruptCB* AInterrupt, int& ASize, std::string& AError)
{
    AVIOContext* pb = nullptr;
    if (avio_open2(&pb, AName.c_str(), AVIO_FLAG_READ, AInterrupt, nullptr) < 0) {
        AError = FormatText("Could not open attachment file %s.", AName.c_str());
        return nullptr;
    }
    AvioContextPtr holder(pb);
    int64_t size = avio_size(pb);
    if (size <= 0) {
        AError = FormatText("Could not get size of the attachment %s.", AName.c_str());
        return nullptr;
    }
    LibAVBytesPtr data;
    if (size <= INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE)
        data.reset(static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE)));
    if (!data) {
        AError = FormatText("Attachment %s too large to fit into memory.", AName.c_str());
        return nullptr;
    }
    int read = avio_read(pb, data.get(), static_cast<int>(size));
    if (read != size) {
        AError = ErrorText(AName, read < 0 ? read : AVERROR_EOF);
        return nullptr;
    }
    ASize = static_cast<int>(size);
    return data;
}

// The name an attachment is written out under: the one asked for, else the file-name
// part of the stream's own "filename" tag, so that a file cannot place it elsewhere.
std::string DumpName(const AVStream* AStream, const std::string& AAsked)
{
    if (!AAsked.empty())
        return AAsked;
    const AVDictionaryEntry* tag = av_dict_get(AStream->metadata, "filename", nullptr, 0);
    if (!tag)
        return {};
    std::filesystem::path name = std::filesystem::path(tag->value).filename();
    return name == "." || name == ".." ? std::string() : ToLibraryPath(name);
}

} // namespace

void TCustomFFmpeg::AddAttachments(int AFileIndex, AVFormatContext* AOc)
{
    for (const std::string& name : FOptions.attachments) {
        int size = 0;
        std::string error;
        LibAVBytesPtr data = ReadAttachment(name, &AOc->interrupt_callback, size, error);
        if (!data)
            Fatal(error);
        AVStream* st = NewLibraryStream(AOc);
        st->codecpar->codec_type = AVMEDIA_TYPE_ATTACHMENT;
        st->codecpar->extradata = data.release();
        st->codecpar->extradata_size = size;
        std::string shown = ToLibraryPath(std::filesystem::path(name).filename());
        av_dict_set(&st->metadata, "filename", shown.empty() ? name.c_str() : shown.c_str(),
            AV_DICT_DONT_OVERWRITE);
        AddAttachmentStream(AFileIndex, st, name);
    }
}

void TCustomFFmpeg::CopyAttachment(int AFileIndex, AVFormatContext* AOc, int ASource)
{
    const AVStream* from = FInputStreams[ASource].st;
    AVStream* st = NewLibraryStream(AOc);
    if (avcodec_parameters_copy(st->codecpar, from->codecpar) < 0
        || av_dict_copy(&st->metadata, from->metadata, 0) < 0)
        Fatal(ErrorText("Could not copy the attachment", AVERROR(ENOMEM)));
    const AVDictionaryEntry* tag = av_dict_get(from->metadata, "filename", nullptr, 0);
    AddAttachmentStream(AFileIndex, st,
        tag ? tag->value : FormatText("#%d:%d", FInputStreams[ASource].file_index, from->index));
}

void TCustomFFmpeg::AddAttachmentStream(int AFileIndex, AVStream* AStream, const std::string& AName)
{
    TOutputStream& ost = FOutputStreams.emplace_back();
    ost.file_index = AFileIndex;
    ost.index = AStream->index;
    ost.st = AStream;
    ost.attachment_filename = AName;
}

void TCustomFFmpeg::DumpAttachments(AVFormatContext* AIc, int AFileIndex)
{
    for (const TSpecifierOpt& opt : FOptions.dump_attachment) {
        for (unsigned i = 0; i < AIc->nb_streams; ++i) {
            int match = CheckStreamSpecifier(AIc, AIc->streams[i], opt.specifier);
            if (match < 0)
                Fatal(ErrorText("check_stream_specifier", match));
            if (match && AIc->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_ATTACHMENT)
                DumpAttachment(AIc->streams[i], AFileIndex, std::get<std::string>(opt.u));
        }
    }
}

void TCustomFFmpeg::DumpAttachment(
    const AVStream* AStream, int AFileIndex, const std::string& AAsked)
{
    const AVCodecParameters* par = AStream->codecpar;
    if (!par->extradata_size) {
        GetLogger().Log(this, llWarning,
            FormatText("No extradata to dump in stream #%d:%d.", AFileIndex, AStream->index));
        return;
    }
    std::string name = DumpName(AStream, AAsked);
    if (name.empty())
        Fatal(FormatText("No filename specified and no 'filename' tag in stream #%d:%d.",
            AFileIndex, AStream->index));
    AVIOContext* pb = nullptr;
    if (avio_open2(&pb, name.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0)
        Fatal(FormatText("Could not open file %s for writing.", name.c_str()));
    avio_write(pb, par->extradata, par->extradata_size);
    avio_flush(pb);
    int ret = pb->error;
    int closed = avio_closep(&pb);
    if (ret < 0 || closed < 0)
        Fatal(ErrorText(name, ret < 0 ? ret : closed));
}
