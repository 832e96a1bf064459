// Reading a 10-minute FLAC to 16-bit stereo PCM through the decoder's ReadAudio,
// against `flac -d` on the same file; prints the ratio (goal: 1.05 or less). The
// peak memory of the process is reported with the decoder's figures.

#include "media/FFDecoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path workDir;
fs::path flacFile;
double bestDecoder = std::numeric_limits<double>::max();
double bestFlac = std::numeric_limits<double>::max();

bool spawnAndWait(std::vector<std::string> argv, const char* output)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool makeInput()
{
    char pattern[] = "/tmp/quaverly-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    workDir = pattern;
    const fs::path wav = workDir / "in.wav";
    flacFile = workDir / "in.flac";
    return spawnAndWait({ "sox", "-n", "-r", "44100", "-c", "2", "-b", "16", wav.string(), "synth", "600",
                            "pinknoise", "vol", "0.5" },
               "/dev/null")
        && spawnAndWait({ "flac", "-s", "-f", "-5", wav.string(), "-o", flacFile.string() }, "/dev/null");
}

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ReadAudioFlacTo16BitPcm(benchmark::State& state)
{
    TFFDecoder decoder;
    if (!decoder.LoadAVLib({})) {
        state.SkipWithError(decoder.LastErrMsg().c_str());
        return;
    }
    std::vector<uint8_t> block(1 << 16);
    int64_t bytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!decoder.LoadFile(flacFile.string())) {
            state.SkipWithError(decoder.LastErrMsg().c_str());
            return;
        }
        int n;
        while ((n = decoder.ReadAudio(block.data(), static_cast<int>(block.size()))) >= 0)
            bytes += n;
        decoder.CloseFile();
        bestDecoder = std::min(bestDecoder, seconds(start));
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.SetBytesProcessed(bytes);
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_ReadAudioFlacTo16BitPcm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_FlacCommandLineDecode(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!spawnAndWait({ "flac", "-d", "-s", "-c", "--force-raw-format", "--endian=little", "--sign=signed",
                              flacFile.string() },
                "/dev/null")) {
            state.SkipWithError("flac -d failed");
            return;
        }
        bestFlac = std::min(bestFlac, seconds(start));
    }
}
BENCHMARK(BM_FlacCommandLineDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!makeInput()) {
        std::fprintf(stderr, "cannot make the 10-minute FLAC input (sox and flac needed)\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (bestDecoder < std::numeric_limits<double>::max() && bestFlac < std::numeric_limits<double>::max())
        std::printf("best of 5: ReadAudio %.3f s, flac -d %.3f s, ratio %.3f\n", bestDecoder, bestFlac,
            bestDecoder / bestFlac);
    fs::remove_all(workDir);
    return 0;
}
