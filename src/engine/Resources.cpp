// The end of a job: trailers, the output put in place, codecs and contexts released.

#include "engine/CustomFFmpeg.h"
#include "engine/OpenCodecs.h"
#include "engine/OutputTarget.h"
#include "media/FFmpegException.h"

extern "C" {
#include <libavutil/time.h>
}

#include <filesystem>

TCustomFFmpeg::TCustomFFmpeg() = default;

TCustomFFmpeg::~TCustomFFmpeg()
{
    ReleaseResources();
}

void TCustomFFmpeg::WriteTrailers()
{
    for (TOutputFile& of : FOutputFiles) {
        if (!of.header_written || of.trailer_written)
            continue;
        FLastWrite = av_gettime_relative();
        int ret = av_write_trailer(of.ctx);
        if (ret >= 0 && of.ctx->pb && of.ctx->pb->error < 0)
            ret = of.ctx->pb->error;
        if (ret < 0)
            Fatal(ErrorText("av_write_trailer()", ret));
        of.trailer_written = true;
    }
}

void TCustomFFmpeg::CloseOutputs()
{
    for (TOutputFile& of : FOutputFiles) {
        if (of.ctx->pb && !(of.ctx->oformat->flags & AVFMT_NOFILE)) {
            if (int ret = avio_closep(&of.ctx->pb); ret < 0)
                Fatal(ErrorText(of.target, ret));
        }
        if (of.temp.empty())
            continue;
        std::error_code ec;
        if (std::filesystem::file_size(std::filesystem::u8path(of.temp), ec) == 0) {
            DiscardOutputTarget(of.temp);
        } else if (int ret = CommitOutputTarget(of.temp, of.target); ret < 0) {
            of.temp.clear();
            Fatal(ErrorText(of.target, ret));
        }
        of.temp.clear();
    }
}

void TCustomFFmpeg::CloseCodecs()
{
    // Encoders first, then decoders.
    for (int i : OpenCodecs().Take(this, TOpenCodecs::ckEncoder))
        FOutputStreams[i].enc.reset();
    for (int i : OpenCodecs().Take(this, TOpenCodecs::ckDecoder))
        FInputStreams[i].dec.reset();
}

void TCustomFFmpeg::ReleaseResources()
{
    CloseCodecs();
    for (TOutputFile& of : FOutputFiles) {
        if (of.ctx->pb && !(of.ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&of.ctx->pb);
        DiscardOutputTarget(of.temp);
        avformat_free_context(of.ctx);
    }
    FOutputFiles.clear();
    FOutputStreams.clear();
    FInputStreams.clear();
    FInputFiles.clear();
    FDecodedFrame.reset();
    FEncodeFrame.reset();
    FEncodedPacket.reset();
    ResetOptions(false);
}
