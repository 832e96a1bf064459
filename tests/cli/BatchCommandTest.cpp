#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::makeTone;
using testsupport::runProgram;
using testsupport::TempDir;

namespace {

std::string cli()
{
    return (testsupport::programDir() / "quaverly-cli").string();
}

// Length of a file as sox decodes it, -1 when it does not decode.
double decodedSeconds(const fs::path& file)
{
    std::string out;
    if (runProgram({ "sox", file.string(), "-n", "stat" }, &out) != 0)
        return -1;
    std::smatch m;
    if (!std::regex_search(out, m, std::regex(R"(Length \(seconds\):\s+([0-9.]+))")))
        return -1;
    return std::stod(m[1]);
}

const std::vector<std::string> mp3Options = { "-O", "-c:a libmp3lame -b:a 128k", "--ext", ".mp3" };

TEST(BatchCommandTest, ConvertsEveryGoodFileAndReportsTheBrokenOnes)
{
    TempDir dir;
    fs::create_directories(dir / "in" / "other");
    makeTone(dir / "in" / "one.wav", 2.0);
    makeTone(dir / "in" / "other" / "one.wav", 3.0, 48000, 1);
    makeTone(dir / "in" / "ünï tone.flac", 1.5);
    testsupport::writeFile(dir / "in" / "broken.wav", std::string(3000, '\x17'));
    std::vector<std::string> argv = { cli(), "--loglevel", "quiet", "batch" };
    argv.insert(argv.end(), mp3Options.begin(), mp3Options.end());
    for (const char* word : { "--outdir", "", "-j", "2" })
        argv.push_back(word);
    argv[argv.size() - 3] = (dir / "out").string();
    for (const char* file : { "one.wav", "broken.wav", "other/one.wav", "ünï tone.flac" })
        argv.push_back((dir / "in" / file).string());

    std::string out;
    EXPECT_EQ(runProgram(argv, &out), 1) << out;
    EXPECT_NE(out.find("failed: " + (dir / "in" / "broken.wav").string() + ": "), std::string::npos) << out;
    EXPECT_NE(out.find("3 converted, 1 failed"), std::string::npos) << out;
    // Same name from two folders: the later one gets a distinct name.
    for (auto [name, seconds] : { std::pair { "one.mp3", 2.0 }, { "one (2).mp3", 3.0 }, { "ünï tone.mp3", 1.5 } })
        EXPECT_NEAR(decodedSeconds(dir / "out" / name), seconds, 0.06) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 3);
}

TEST(BatchCommandTest, UsageErrors)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             { "--ext", ".mp3", "--outdir", "/tmp", "x.wav" },  // no -O
             { "-O", "", "--outdir", "/tmp", "x.wav" },          // no --ext
             { "-O", "", "--ext", ".mp3", "x.wav" },             // no --outdir
             { "-O", "", "--ext", ".mp3", "--outdir", "/tmp" },  // no file
             { "-O", "", "--ext", ".mp3", "--outdir", "/tmp", "-j", "0", "x.wav" },
         }) {
        std::vector<std::string> argv = { cli(), "batch" };
        argv.insert(argv.end(), args.begin(), args.end());
        std::string out;
        EXPECT_EQ(runProgram(argv, &out), 2) << out;
    }
}

// Ctrl+C stops every running job; what they wrote stays and decodes.
TEST(BatchCommandTest, InterruptStopsTheRunAndLeavesValidFiles)
{
    TempDir dir;
    std::vector<std::string> argv = { cli(), "--loglevel", "quiet", "batch" };
    argv.insert(argv.end(), mp3Options.begin(), mp3Options.end());
    argv.insert(argv.end(), { "--outdir", (dir / "out").string(), "-j", "2" });
    for (int i = 0; i < 3; ++i) {
        makeTone(dir / ("long" + std::to_string(i) + ".wav"), 60.0);
        argv.push_back((dir / ("long" + std::to_string(i) + ".wav")).string());
    }
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::vector<char*> args;
        for (auto& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        execv(args[0], args.data());
        _exit(127);
    }
    // Interrupt once the jobs are writing sound (each output is opened while the
    // jobs are built, with its header only).
    auto writing = [&] {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir / "out", ec))
            if (entry.file_size(ec) > 64 * 1024)
                return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline && !writing())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::is_empty(dir / "out"));
    for (const auto& entry : fs::directory_iterator(dir / "out")) {
        const double seconds = decodedSeconds(entry.path());
        EXPECT_GT(seconds, 0) << entry.path();
        EXPECT_LT(seconds, 60.0) << entry.path();
    }
}

}  // namespace
