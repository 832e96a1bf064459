#include "JobRunner.h"

#include "media/FFmpegException.h"
#include "media/OptionParser.h"

TJobResult RunJob(const std::vector<TJobInput>& AInputs, const std::filesystem::path& AOutput,
    const TJobOptions& AOutputOptions, bool AJoin,
    const std::function<void(TCustomFFmpeg&)>& ABeforeRun)
{
    TJobResult result;
    TCustomFFmpeg job;
    job.ReportInterval = 0;
    job.FOnProgress
        = [&](TCustomFFmpeg*, const TProgressValues& v) { result.progress.push_back(v); };
    try {
        for (const auto& in : AInputs) {
            if (in.options)
                in.options(job);
            if (job.OpenInputFile(in.file.string()) < 0) {
                result.error = job.FLastErrMsg;
                return result;
            }
        }
        if (AOutputOptions)
            AOutputOptions(job);
        if (job.OpenOutputFile(AOutput.string(), AJoin) < 0) {
            result.error = job.FLastErrMsg;
            return result;
        }
        if (AJoin && job.InputCount() > 1)
            job.PrepareJoin();
        result.built = true;
        if (ABeforeRun)
            ABeforeRun(job);
        job.Convert();
        result.finished = job.FFinished;
    } catch (const FFmpegException& e) {
        result.error = e.what();
    }
    job.CloseCodecs();
    job.ReleaseResources();
    return result;
}

void SetCodec(TCustomFFmpeg& AJob, const std::string& ACodec)
{
    AJob.FOptions.codec_names.push_back({ "a", ACodec });
}

TJobOptions Parsed(const std::string& AOptions)
{
    return [AOptions](TCustomFFmpeg& AJob) {
        TOptionParser parser(AJob.FOptions, AJob.FSettings, AJob.FFFOptions, &AJob);
        parser.SetInputFiles([&AJob](int AIndex) -> const AVFormatContext* {
            return AIndex >= 0 && AIndex < AJob.InputCount() ? AJob.InputContext(AIndex) : nullptr;
        });
        parser.ParseOptions(AOptions);
    };
}

TLogCapture::TLogCapture()
{
    GetLogger().SetTriggerEventInMainThread(false);
    GetLogger().SetLogLevel(llDebug);
    GetLogger().SetOnLog([this](const void*, uint32_t, TLogLevel ALevel, const std::string& ALine) {
        FLines.emplace_back(ALevel, ALine);
    });
}

TLogCapture::~TLogCapture()
{
    GetLogger().SetOnLog(nullptr);
}

bool TLogCapture::Contains(const std::string& AText) const
{
    for (const auto& l : FLines)
        if (l.second.find(AText) != std::string::npos)
            return true;
    return false;
}

int TLogCapture::Count(const std::string& AText, TLogLevel ALevel) const
{
    int count = 0;
    for (const auto& [level, line] : FLines)
        count += level == ALevel && line.find(AText) != std::string::npos;
    return count;
}
