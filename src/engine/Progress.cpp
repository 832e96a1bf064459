// Progress values of a running job and its closing report.

#include "engine/CustomFFmpeg.h"

namespace {

int64_t OutputSize(const std::vector<TOutputFile>& AFiles)
{
    if (AFiles.empty() || !AFiles[0].ctx->pb)
        return 0;
    AVIOContext* pb = AFiles[0].ctx->pb;
    return std::max<int64_t>({ avio_size(pb), avio_tell(pb), 0 });
}

}  // namespace

void TCustomFFmpeg::ProgressReport(bool ALast, int AFileIndex)
{
    if (!FSettings.Fprint_stats && !ALast && !FOnProgress)
        return;
    int64_t totalSize = OutputSize(FOutputFiles);
    int64_t reportTime = INT64_MAX;
    int64_t current = 0;
    for (const TOutputStream& ost : FOutputStreams) {
        if (!ost.attachment_filename.empty())
            continue;
        current = ost.mux_end == AV_NOPTS_VALUE
            ? 0
            : av_rescale_q(ost.mux_end, ost.st->time_base, AV_TIME_BASE_Q);
        reportTime = std::min(reportTime, current);
    }
    if (reportTime == INT64_MAX)
        reportTime = 0;
    float bitRate = reportTime > 0 ? float(totalSize * 8 / (reportTime / 1000.0)) : 0.0f;

    if (FOnProgress) {
        TProgressValues values;
        values.FileIndex = ALast ? -1 : AFileIndex;
        values.TotalDuration = FOutputDuration;
        values.CurrentDuration = current;
        values.CurrentSize = totalSize;
        values.BitRate = bitRate;
        FOnProgress(this, values);
    } else if (FSettings.Fprint_stats) {
        int64_t seconds = std::max<int64_t>(reportTime, 0) / AV_TIME_BASE;
        GetLogger().Log(this, llInfo,
            FormatText("size=%8.0fkB time=%02d:%02d:%02d.%02d bitrate=%6.1fkbits/s",
                double(totalSize) / 1024, int(seconds / 3600), int(seconds / 60 % 60),
                int(seconds % 60), int(std::max<int64_t>(reportTime, 0) / 10000 % 100),
                double(bitRate)));
    }
    if (!ALast)
        return;
    int64_t coded = FAudioSize + FExtraSize;
    GetLogger().Log(this, llInfo,
        FormatText("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
            0.0, double(FAudioSize) / 1024, double(FExtraSize) / 1024,
            coded ? double(totalSize - coded) * 100 / double(coded) : 0.0));
    if (coded == 0)
        GetLogger().Log(this, llWarning, "Output file is empty, nothing was encoded (check -ss / -t / "
                             "-frames parameters if used)");
}
