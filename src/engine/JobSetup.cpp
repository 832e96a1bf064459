// Opening a job's inputs and output while the job is built.

#include "engine/CustomFFmpeg.h"
#include "media/FFmpegException.h"
#include "engine/InputFormatRegistry.h"
#include "engine/OutputTarget.h"

extern "C" {
#include <libavutil/time.h>
}

#include <filesystem>

namespace {

int64_t Now() { return av_gettime_relative(); }

// Aborts a blocking operation when the job was stopped or the operation outlived its
// time-out.
int CheckInterrupt(const void* AJob, bool ABroken, const std::atomic<int64_t>& ALast,
    int ATimeout, bool ARead)
{
    if (ABroken) {
        GetLogger().Log(AJob, llInfo, ARead ? "reading broken" : "writing broken");
        return 1;
    }
    int64_t last = ALast;
    if (ATimeout > 0 && last != INT64_MAX && Now() - last > int64_t(ATimeout) * 1000) {
        const char* text = last == 0
            ? (ARead ? "connecting/reading canceled" : "connecting/writing canceled")
            : (ARead ? "connecting/reading timeout" : "connecting/writing timeout");
        GetLogger().Log(AJob, llInfo, text);
        return 1;
    }
    return 0;
}

}  // namespace

int ReadInterruptCallback(void* AJob)
{
    auto* job = static_cast<TCustomFFmpeg*>(AJob);
    return CheckInterrupt(job, job->FBroken, job->FLastRead, job->FReadTimeout, true);
}

int WriteInterruptCallback(void* AJob)
{
    // Once the packet loop has ended a stop must not abort the trailer.
    auto* job = static_cast<TCustomFFmpeg*>(AJob);
    return CheckInterrupt(
        job, job->FBroken && !job->FFinishing, job->FLastWrite, job->FWriteTimeout, false);
}

void TCustomFFmpeg::Fatal(const std::string& AText)
{
    FLastErrMsg = AText;
    GetLogger().Log(this, llFatal, AText);
    throw FFmpegException(AText);
}

void TCustomFFmpeg::ResetOptions(bool AAfterInput)
{
    FOptions.Reset(AAfterInput);
    FFFOptions.init_opts();
}

int TCustomFFmpeg::OpenInputFile(const std::string& AFileName)
{
    const AVInputFormat* fmt = nullptr;
    std::shared_ptr<TInputFormatAdapter> adapter;
    if (!FOptions.format.empty()) {
        adapter = TInputFormatRegistry::Instance().Find(FOptions.format);
        if (!adapter && !(fmt = av_find_input_format(FOptions.format.c_str()))) {
            FLastErrMsg = FormatText("Unknown input format: \"%s\"", FOptions.format.c_str());
            GetLogger().Log(this, llFatal, FLastErrMsg);
            return AVERROR(EINVAL);
        }
    }
    AVFormatContext* ic = avformat_alloc_context();
    if (!ic) {
        FLastErrMsg = "avformat_alloc_context() failed";
        GetLogger().Log(this, llFatal, FLastErrMsg);
        return AVERROR(ENOMEM);
    }
    TAVDict& formatOpts = FFFOptions.FormatOptions();
    if (!FOptions.audio_sample_rate.empty())
        formatOpts.Set("sample_rate",
            std::to_string(std::get<int>(FOptions.audio_sample_rate.back().u)));
    if (!FOptions.audio_channels.empty())
        formatOpts.Set("channels", std::to_string(std::get<int>(FOptions.audio_channels.back().u)));

    ic->flags |= AVFMT_FLAG_NONBLOCK;
    ic->interrupt_callback = { ReadInterruptCallback, this };
    int ret = adapter ? adapter->Prepare(AFileName, ic, fmt, formatOpts.receive()) : 0;
    if (ret >= 0) {
        FLastRead = Now();
        ret = avformat_open_input(&ic, AFileName.c_str(), fmt, formatOpts.receive());
    } else {
        avformat_free_context(ic);
    }
    if (ret < 0) {
        FLastErrMsg = ErrorText(AFileName, ret);
        GetLogger().Log(this, llFatal, FLastErrMsg);
        return ret;
    }
    TInputContextPtr holder(ic);
    if (auto* unused = av_dict_get(formatOpts.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
        std::string text = FormatText("Option %s not found.", unused->key);
        if (HaltOnInvalidOption)
            Fatal(text);
        FLastErrMsg = text;
    }

    TStreamInfoOptions infoOpts = FFFOptions.setup_find_stream_info_opts(ic);
    if (FOnBeforeFindStreamInfo)
        FOnBeforeFindStreamInfo(this, ic);
    FLastRead = Now();
    ret = avformat_find_stream_info(ic, infoOpts.data());
    if (ret < 0) {
        FLastErrMsg = FormatText("%s: could not find codec parameters", AFileName.c_str());
        GetLogger().Log(this, llFatal, FLastErrMsg);
        return ret;
    }

    int64_t timestamp = FOptions.start_time;
    if (ic->start_time != AV_NOPTS_VALUE)
        timestamp += ic->start_time;
    if (FOptions.start_time != 0) {
        FLastRead = Now();
        if (avformat_seek_file(ic, -1, INT64_MIN, timestamp, timestamp, 0) < 0)
            GetLogger().Log(this, llWarning, FormatText("%s: could not seek to position %0.3f",
                                     AFileName.c_str(), double(timestamp) / AV_TIME_BASE));
    }

    int fileIndex = InputCount();
    size_t streamsBefore = FInputStreams.size();
    try {
        AddInputStreams(ic, fileIndex);
        DumpAttachments(ic, fileIndex);
    } catch (...) {
        FInputStreams.resize(streamsBefore);
        throw;
    }
    av_dump_format(ic, fileIndex, AFileName.c_str(), 0);

    if (ic->duration != AV_NOPTS_VALUE && ic->duration - FOptions.start_time > FInputDuration)
        FInputDuration = ic->duration - FOptions.start_time;

    TInputFile& f = FInputFiles.emplace_back();
    f.name = AFileName;
    f.ist_index = static_cast<int>(FInputStreams.size()) - static_cast<int>(ic->nb_streams);
    f.nb_streams = static_cast<int>(ic->nb_streams);
    f.rate_emu = FOptions.rate_emu;
    f.ts_offset = FOptions.input_ts_offset - (FSettings.Fcopy_ts ? 0 : timestamp);
    f.start_time = FOptions.start_time != 0 && !FSettings.Fcopy_ts ? FOptions.input_ts_offset
                                                                   : INT64_MIN;
    f.ctx = std::move(holder);
    ResetOptions(true);
    return fileIndex;
}

void TCustomFFmpeg::AddInputStreams(AVFormatContext* AIc, int AFileIndex)
{
    for (unsigned i = 0; i < AIc->nb_streams; ++i) {
        AVStream* st = AIc->streams[i];
        TInputStream& ist = FInputStreams.emplace_back();
        ist.file_index = AFileIndex;
        ist.st = st;
        std::string name = MatchPerStream<std::string>(FOptions.codec_names, AIc, st, "");
        if (!name.empty() && name != "copy") {
            ist.avdec = avcodec_find_decoder_by_name(name.c_str());
            if (!ist.avdec)
                Fatal(FormatText("Unknown decoder '%s'", name.c_str()));
            if (ist.avdec->type != st->codecpar->codec_type)
                Fatal(FormatText("Invalid decoder type '%s'", name.c_str()));
        }
        if (!ist.avdec)
            ist.avdec = avcodec_find_decoder(st->codecpar->codec_id);
        ist.opts = FFFOptions.filter_codec_opts(st->codecpar->codec_id, AIc, st, ist.avdec);
        ist.ts_scale = MatchPerStream<double>(FOptions.ts_scale, AIc, st, 1.0);
        auto type = st->codecpar->codec_type;
        if ((type == AVMEDIA_TYPE_AUDIO && FOptions.audio_disable)
            || (type == AVMEDIA_TYPE_VIDEO && FOptions.video_disable)
            || (type == AVMEDIA_TYPE_SUBTITLE && FOptions.subtitle_disable)
            || (type == AVMEDIA_TYPE_DATA && FOptions.data_disable))
            st->discard = AVDISCARD_ALL;
    }
}

void TCustomFFmpeg::CheckOutputIsNotInput(const std::string& AFileName)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& f : FInputFiles) {
        if (fs::equivalent(fs::u8path(AFileName), fs::u8path(f.name), ec))
            throw FFmpegException("Output file is the same as input file: " + AFileName);
    }
}

int TCustomFFmpeg::OpenOutputFile(const std::string& AFileName, bool AJoin)
{
    if (FJoinMode || (AJoin && InputCount() > 1 && OutputCount() > 0)) {
        FLastErrMsg = "Cannot join more than one output file.";
        return -1;
    }
    try {
        CheckOutputIsNotInput(AFileName);
    } catch (const FFmpegException& e) {
        FLastErrMsg = e.what();
        GetLogger().Log(this, llError, FLastErrMsg);
        return -1;
    }
    bool joining = AJoin && InputCount() > 1;

    AVFormatContext* oc = nullptr;
    int ret = avformat_alloc_output_context2(&oc, nullptr,
        FOptions.format.empty() ? nullptr : FOptions.format.c_str(), AFileName.c_str());
    if (ret < 0 || !oc) {
        FLastErrMsg = ErrorText(AFileName, ret < 0 ? ret : AVERROR(EINVAL));
        return -1;
    }
    oc->interrupt_callback = { WriteInterruptCallback, this };
    if (FOptions.recording_time != INT64_MAX && FOutputDuration < FOptions.recording_time)
        FOutputDuration = FOptions.recording_time;

    // Until the output is recorded a failure takes back what was added for it.
    size_t streamsBefore = FOutputStreams.size();
    int fileIndex = OutputCount();
    TOutputFile of;
    of.ctx = oc;
    of.target = AFileName;
    of.ost_index = static_cast<int>(streamsBefore);
    of.recording_time = FOptions.recording_time;
    of.start_time = FOptions.start_time;
    of.limit_filesize = FOptions.limit_filesize;
    of.opts = FFFOptions.FormatOptions();
    try {
        OpenOutputStreams(fileIndex, oc, !joining);
        AddAttachments(fileIndex, oc);
        CopyChapters(oc, of, joining);
        CopyMetadata(oc, fileIndex, FOptions.recording_time);
        ret = OpenOutputTarget(of, oc);
    } catch (const FFmpegException& e) {
        FLastErrMsg = e.what();
        ret = -1;
    }
    if (ret < 0) {
        FOutputStreams.resize(streamsBefore);
        DiscardOutputTarget(of.temp);
        if (oc->pb && !(oc->oformat->flags & AVFMT_NOFILE))
            avio_closep(&oc->pb);
        avformat_free_context(oc);
        return -1;
    }
    if (FOptions.mux_preload != 0)
        of.opts.Set("preload", std::to_string(llround(FOptions.mux_preload * AV_TIME_BASE)));
    oc->max_delay = static_cast<int>(llround(FOptions.mux_max_delay * AV_TIME_BASE));
    FOutputFiles.push_back(std::move(of));

    if (joining)
        FJoinMode = true;
    else
        ResetOptions(false);
    return fileIndex;
}

int TCustomFFmpeg::OpenOutputTarget(TOutputFile& AOf, AVFormatContext* AOc)
{
    if (AOc->oformat->flags & AVFMT_NEEDNUMBER
        && !av_filename_number_test(AOf.target.c_str())) {
        FLastErrMsg = ErrorText(AOf.target, AVERROR(EINVAL));
        return -1;
    }
    if (AOc->oformat->flags & AVFMT_NOFILE)
        return 0;
    int ret = CreateOutputTarget(AOf.target, AOf.temp);
    if (ret >= 0) {
        FLastWrite = Now();
        ret = avio_open2(&AOc->pb, AOf.temp.c_str(), AVIO_FLAG_WRITE, &AOc->interrupt_callback,
            AOf.opts.receive());
    }
    if (ret < 0) {
        FLastErrMsg = ErrorText(AOf.target, ret);
        return -1;
    }
    return 0;
}
