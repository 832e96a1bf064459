#pragma once
// Builds and runs one job in the calling thread, the way the encoder component does.

#include "engine/CustomFFmpeg.h"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TJobResult {
    bool built = false; // inputs and output opened
    bool finished = false;
    std::string error; // set-up or run failure
    std::vector<TProgressValues> progress;
};

using TJobOptions = std::function<void(TCustomFFmpeg&)>;

struct TJobInput {
    std::filesystem::path file;
    TJobOptions options;
};

TJobResult RunJob(const std::vector<TJobInput>& AInputs, const std::filesystem::path& AOutput,
    const TJobOptions& AOutputOptions = {}, bool AJoin = false,
    const std::function<void(TCustomFFmpeg&)>& ABeforeRun = {});

// Option helpers until the parser takes whole strings.
void SetCodec(TCustomFFmpeg& AJob, const std::string& ACodec);
// Options given as the user writes them, parsed into the job.
TJobOptions Parsed(const std::string& AOptions);

// Collects the lines the process-wide logger delivers while it lives.
class TLogCapture {
public:
    TLogCapture();
    ~TLogCapture();
    bool Contains(const std::string& AText) const;
    // Lines holding the text that were logged at the level.
    int Count(const std::string& AText, TLogLevel ALevel) const;

private:
    std::vector<std::pair<TLogLevel, std::string>> FLines;
};
