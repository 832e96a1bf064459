// quaverly-cli batch: one job per input file, run on several workers at once.

#include "cli/Commands.h"

#include "engine/FFEncoder.h"
#include "media/ManualResetEvent.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int exitUsage = 2;
constexpr int exitInterrupted = 130;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

void printUsage(std::FILE* out)
{
    std::fprintf(out,
        "Usage: quaverly-cli batch [-I \"input options\"] -O \"output options\" --ext .EXT\n"
        "                          --outdir DIR [-j N] FILE...\n"
        "\n"
        "Converts each FILE into DIR, named after it with the extension .EXT, using N\n"
        "jobs at a time (default: the number of cores). Two files that would get the same\n"
        "output name get distinct ones (\" (2)\" before the extension). Exit status 0 when\n"
        "every file was converted, 1 when one failed (the others are still converted),\n"
        "2 for a usage error, 130 when interrupted (the running jobs stop and leave\n"
        "valid, shorter files).\n");
}

struct TBatchArgs {
    std::string inputOptions;
    std::string outputOptions;
    std::string ext;
    fs::path outdir;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::string> files;
};

// False with a message on standard error for a usage error.
bool parseArgs(const CommandArgs& args, TBatchArgs& batch, bool& help)
{
    bool haveOutput = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            help = true;
            return true;
        }
        if (!word.empty() && word[0] == '-' && word != "-" && batch.files.empty()) {
            if (i + 1 == args.size()) {
                std::fprintf(stderr, "quaverly-cli batch: %s needs a value\n", word.c_str());
                return false;
            }
            const std::string& value = args[++i];
            if (word == "-I") {
                batch.inputOptions = value;
            } else if (word == "-O") {
                batch.outputOptions = value;
                haveOutput = true;
            } else if (word == "--ext") {
                batch.ext = value.empty() || value[0] == '.' ? value : "." + value;
            } else if (word == "--outdir") {
                batch.outdir = fs::path(value);
            } else if (word == "-j") {
                try {
                    batch.jobs = std::stoi(value);
                } catch (const std::exception&) {
                    batch.jobs = 0;
                }
                if (batch.jobs < 1) {
                    std::fprintf(stderr, "quaverly-cli batch: -j needs a number of 1 or more\n");
                    return false;
                }
            } else {
                std::fprintf(stderr, "quaverly-cli batch: unknown option %s\n", word.c_str());
                return false;
            }
            continue;
        }
        batch.files.push_back(word);
    }
    const char* missing = !haveOutput ? "-O" : batch.ext.size() < 2 ? "--ext" : batch.outdir.empty() ? "--outdir" : batch.files.empty() ? "FILE" : nullptr;
    if (missing) {
        std::fprintf(stderr, "quaverly-cli batch: %s is missing\n", missing);
        return false;
    }
    return true;
}

// The output for a file: its name with the new extension in the output folder, with
// " (2)", " (3)"... when an earlier file of the batch took that name already.
fs::path outputFor(const std::string& file, const TBatchArgs& batch, std::set<fs::path>& taken)
{
    const std::string stem = fs::path(file).stem().string();
    fs::path out = batch.outdir / fs::path(stem + batch.ext);
    for (int n = 2; !taken.insert(out).second; ++n)
        out = batch.outdir / fs::path(stem + " (" + std::to_string(n) + ")" + batch.ext);
    return out;
}

// What the events of the run report, printed as they arrive. The events come from
// the workers and delivery threads, so everything here is under one lock.
class TBatchReport {
public:
    TBatchReport(std::vector<std::string> files, std::vector<fs::path> outputs)
        : m_files(std::move(files))
        , m_outputs(std::move(outputs))
        , m_current(m_files.size(), 0)
        , m_total(m_files.size(), -1)
        , m_start(std::chrono::steady_clock::now())
        , m_terminal(isatty(fileno(stderr)))
    {
    }

    void progress(const TProgressInfo& info)
    {
        std::lock_guard guard(m_lock);
        m_current[info.TaskIndex] = info.CurrentDuration;
        m_total[info.TaskIndex] = info.TotalDuration;
        if (m_terminal)
            printProgress();
    }

    void terminate(const TTerminateInfo& info)
    {
        std::lock_guard guard(m_lock);
        if (info.TaskIndex < 0) {
            m_ended.Set();
            return;
        }
        const std::string& file = m_files[info.TaskIndex];
        if (m_terminal)
            std::fprintf(stderr, "\r\033[K");
        if (info.Exception) {
            ++m_failed;
            std::printf("failed: %s: %s\n", file.c_str(), info.ExceptionMsg.c_str());
        } else if (!info.Finished) {
            ++m_stopped;
            // Stopped before any sound was written: what is there would not decode.
            std::error_code ec;
            if (m_current[info.TaskIndex] <= 0)
                fs::remove(m_outputs[info.TaskIndex], ec);
            std::printf("stopped: %s\n", file.c_str());
        } else {
            ++m_done;
            m_current[info.TaskIndex] = std::max<int64_t>(m_total[info.TaskIndex], m_current[info.TaskIndex]);
            std::printf("done: %s -> %s\n", file.c_str(), m_outputs[info.TaskIndex].string().c_str());
        }
        std::fflush(stdout);
        if (m_terminal)
            printProgress();
    }

    // Waits for the final event; false when interrupted first.
    bool waitEnd()
    {
        while (!m_ended.WaitFor(std::chrono::milliseconds(50)))
            if (interrupted)
                return false;
        return true;
    }
    void waitEndAfterStop() { m_ended.Wait(); }

    int failed() const { return m_failed; }
    int done() const { return m_done; }
    int stopped() const { return m_stopped; }

private:
    void printProgress()
    {
        int64_t current = 0, total = 0;
        for (size_t i = 0; i < m_current.size(); ++i) {
            current += m_current[i];
            total += std::max<int64_t>(m_total[i], m_current[i]);
        }
        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        std::fprintf(stderr, "\r\033[K%d of %zu files, %.1f%%, speed %.1fx", m_done + m_failed + m_stopped,
            m_files.size(), total > 0 ? 100.0 * current / total : 0.0,
            seconds > 0 ? current / 1e6 / seconds : 0.0);
        std::fflush(stderr);
    }

    std::mutex m_lock;
    std::vector<std::string> m_files;   // by task index
    std::vector<fs::path> m_outputs;    // by task index
    std::vector<int64_t> m_current;
    std::vector<int64_t> m_total;
    std::chrono::steady_clock::time_point m_start;
    bool m_terminal;
    int m_done = 0;
    int m_failed = 0;
    int m_stopped = 0;
    TManualResetEvent m_ended;
};

}  // namespace

int runBatch(const CommandArgs& args)
{
    TBatchArgs batch;
    bool help = false;
    if (!parseArgs(args, batch, help)) {
        printUsage(stderr);
        return exitUsage;
    }
    if (help) {
        printUsage(stdout);
        return 0;
    }
    TFFEncoder encoder;
    if (!encoder.LoadAVLib({})) {
        std::fprintf(stderr, "quaverly-cli: %s\n", encoder.LastErrMsg().c_str());
        return 1;
    }
    std::error_code ec;
    fs::create_directories(batch.outdir, ec);
    // From here on Ctrl+C stops the work instead of killing the process, so that no
    // half-written file is left behind.
    std::signal(SIGINT, onInterrupt);

    // Jobs that cannot be built are reported at once; the others run.
    std::vector<std::string> files;
    std::vector<fs::path> outputs;
    std::set<fs::path> taken;
    int refused = 0;
    for (const std::string& file : batch.files) {
        if (interrupted)
            break;
        const fs::path out = outputFor(file, batch, taken);
        int task = encoder.AddTask(file, batch.inputOptions);
        if (task >= 0 && encoder.SetOutput(task, out.string(), batch.outputOptions) < 0) {
            encoder.RemoveTask(task);
            task = -1;
        }
        if (task < 0) {
            ++refused;
            std::printf("failed: %s: %s\n", file.c_str(), encoder.LastErrMsg().c_str());
            continue;
        }
        files.push_back(file);
        outputs.push_back(out);
    }
    std::fflush(stdout);

    TBatchReport report(files, outputs);
    encoder.SetTriggerEventInMainThread(false);
    encoder.OnProgress = [&](TCustomEncoder*, const TProgressInfo* info) { report.progress(*info); };
    encoder.OnTerminate = [&](TCustomEncoder*, const TTerminateInfo& info) { report.terminate(info); };

    bool stopped = interrupted;
    if (!files.empty() && !stopped) {
        encoder.Start(batch.jobs);
        if (!report.waitEnd()) {
            stopped = true;
            encoder.Stop(true);
            report.waitEndAfterStop();
        }
    }
    std::signal(SIGINT, SIG_DFL);

    std::printf("%d converted, %d failed", report.done(), report.failed() + refused);
    if (report.stopped())
        std::printf(", %d stopped", report.stopped());
    std::printf("\n");
    if (stopped)
        return exitInterrupted;
    return report.failed() + refused > 0 ? 1 : 0;
}
