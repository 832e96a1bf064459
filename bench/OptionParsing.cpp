// Cost of turning a job's option string into settings, as a job does when it
// opens its output.

#include "media/OptionParser.h"
#include "media/OptionWords.h"

#include <benchmark/benchmark.h>

namespace {

const std::string outputOptions = " -c:a libmp3lame -ac 2 -ar 44100 -b:a 128000 -vol 256 "
                                  "-t_microsecond 60000000 -vn -sn -dn";

void BM_SplitOutputOptions(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SplitOptionWords(outputOptions));
}
BENCHMARK(BM_SplitOutputOptions);

void BM_ParseOutputOptions(benchmark::State& state)
{
    TOptionParser parser;
    for (auto _ : state) {
        parser.ParseOptions(outputOptions);
        benchmark::DoNotOptimize(parser.Context().audio_channels.data());
        parser.ResetContext(false);
    }
}
BENCHMARK(BM_ParseOutputOptions);

void BM_NewJobParsesOutputOptions(benchmark::State& state)
{
    for (auto _ : state) {
        TOptionParser parser;
        parser.ParseOptions(outputOptions);
        benchmark::DoNotOptimize(parser.Context().audio_channels.data());
    }
}
BENCHMARK(BM_NewJobParsesOutputOptions);

} // namespace

BENCHMARK_MAIN();
