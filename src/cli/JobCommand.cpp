// quaverly-cli job: one conversion job run in this thread, with its progress on
// standard error.

#include "cli/Commands.h"

#include "engine/FFmpeg.h"
#include "media/FFLoader.h"

extern "C" {
#include <libavutil/time.h>
}

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitInterrupted = 130;

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli job -i IN [-I \"input options\"] [-i IN2 [-I \"input options\"]]...\n"
        "                        -o OUT [-O \"output options\"]\n"
        "\n"
        "Converts the inputs into OUT. Each -I belongs to the -i before it; the options\n"
        "are those of a job (for example -O \"-c:a libmp3lame -b:a 128k\"); several inputs\n"
        "are joined end to end when the output options carry -Join. Progress goes to\n"
        "standard error. Exit status 0 finished, 1 failed, 2 usage error, 130 stopped by\n"
        "Ctrl+C (the output then holds what was converted so far).\n");
}

struct JobRequest {
    std::vector<TInputOptions> inputs;
    std::string output;
    std::string outputOptions;
};

// Returns false after printing a usage error.
bool parseArgs(const CommandArgs& args, JobRequest& request)
{
    bool haveOutputOptions = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "quaverly-cli job: %s needs a value\n", word.c_str());
            return false;
        }
        const std::string& value = args[++i];
        if (word == "-i") {
            request.inputs.push_back({ value, "", "", 0, nullptr });
        } else if (word == "-I" && !request.inputs.empty() && request.inputs.back().Options.empty()) {
            request.inputs.back().Options = value;
        } else if (word == "-o" && request.output.empty()) {
            request.output = value;
        } else if (word == "-O" && !haveOutputOptions) {
            request.outputOptions = value;
            haveOutputOptions = true;
        } else {
            std::fprintf(stderr, "quaverly-cli job: unexpected %s\n", word.c_str());
            return false;
        }
    }
    if (request.inputs.empty() || request.output.empty()) {
        std::fprintf(stderr, "quaverly-cli job: an input (-i) and an output (-o) are needed\n");
        return false;
    }
    return true;
}

std::string clockText(int64_t micros)
{
    if (micros < 0)
        return "--:--:--";
    int64_t s = micros / 1000000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
        static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

// Draws a one-line bar on a terminal, plain lines elsewhere.
class ProgressPrinter {
public:
    ProgressPrinter()
        : FTerminal(isatty(STDERR_FILENO))
        , FStart(av_gettime_relative())
    {
    }

    void Print(const TProgressValues& v)
    {
        double elapsed = double(av_gettime_relative() - FStart) / 1e6;
        double speed = elapsed > 0 ? double(v.CurrentDuration) / 1e6 / elapsed : 0;
        std::string position = clockText(v.CurrentDuration);
        std::string total = clockText(v.TotalDuration);
        if (!FTerminal) {
            std::fprintf(stderr, "progress: %s / %s, speed %.1fx\n", position.c_str(),
                total.c_str(), speed);
            return;
        }
        constexpr int width = 30;
        int filled = v.TotalDuration > 0
            ? static_cast<int>(std::min<int64_t>(width, v.CurrentDuration * width / v.TotalDuration))
            : 0;
        std::string bar = std::string(static_cast<size_t>(filled), '#')
            + std::string(static_cast<size_t>(width - filled), '.');
        std::fprintf(stderr, "\r[%s] %s / %s  %.1fx ", bar.c_str(), position.c_str(),
            total.c_str(), speed);
        FOpenLine = true;
    }

    void EndLine()
    {
        if (FOpenLine)
            std::fputc('\n', stderr);
        FOpenLine = false;
    }

private:
    bool FTerminal;
    bool FOpenLine = false;
    int64_t FStart;
};

std::atomic<TFFmpeg*> runningJob { nullptr };
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
    if (TFFmpeg* job = runningJob.load())
        job->Stop();
}

// Stops the job on Ctrl+C while it lives.
class InterruptGuard {
public:
    explicit InterruptGuard(TFFmpeg& job)
    {
        runningJob = &job;
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &FPrevious);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &FPrevious, nullptr);
        runningJob = nullptr;
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction FPrevious {};
};

int fail(const std::string& message)
{
    std::fprintf(stderr, "quaverly-cli job: %s\n", message.c_str());
    return exitFailed;
}

}  // namespace

int runJob(const CommandArgs& args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(stdout);
        return 0;
    }
    JobRequest request;
    if (!parseArgs(args, request)) {
        printUsage(stderr);
        return exitUsage;
    }
    // Loading also routes the libraries' own messages through the logger, so that
    // --loglevel governs them too.
    if (!FFLoader().Load(AllLibraries))
        return fail(FFLoader().LastErrMsg());
    TFFmpeg job;
    for (const TInputOptions& input : request.inputs)
        if (job.AddInput(input.FileName, input) < 0)
            return fail(job.FLastErrMsg);
    if (job.SetOutput(request.output, MakeOutputOptions(request.output, request.outputOptions, "")) < 0)
        return fail(job.FLastErrMsg);

    ProgressPrinter printer;
    job.FOnProgress = [&](TCustomFFmpeg*, const TProgressValues& v) {
        if (v.FileIndex >= 0)
            printer.Print(v);
    };
    {
        InterruptGuard guard(job);
        job.StartConvert();
    }
    printer.EndLine();
    if (job.FatalException())
        return fail(job.FatalMessage());
    if (!job.Finished()) {
        std::fprintf(stderr, "quaverly-cli job: stopped; %s holds what was converted\n",
            request.output.c_str());
        return interrupted ? exitInterrupted : exitFailed;
    }
    std::fprintf(stderr, "quaverly-cli job: finished %s\n", request.output.c_str());
    return 0;
}
