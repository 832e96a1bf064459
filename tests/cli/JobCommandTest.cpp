#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::runProgram;
using testsupport::TempDir;

namespace {

std::string cli()
{
    return (testsupport::programDir() / "quaverly-cli").string();
}

double soxSeconds(const fs::path& AFile)
{
    std::string out;
    if (runProgram({ "soxi", "-D", AFile.string() }, &out) != 0)
        return -1;
    return std::stod(out);
}

TEST(JobCommandTest, ConvertsJoinsAndReportsProgress)
{
    TempDir dir;
    testsupport::makeTone(dir / "a.wav", 5.0, 44100, 2, { "-b", "16" });
    testsupport::makeTone(dir / "b.wav", 7.0, 44100, 2, { "-b", "16" });
    std::string out;
    ASSERT_EQ(runProgram({ cli(), "job", "-i", (dir / "a.wav").string(), "-i",
                  (dir / "b.wav").string(), "-o", (dir / "joined.wav").string(), "-O",
                  "-Join" }, &out), 0) << out;
    EXPECT_NEAR(soxSeconds(dir / "joined.wav"), 12.0, 0.1);
    EXPECT_NE(out.find("finished"), std::string::npos);

    ASSERT_EQ(runProgram({ cli(), "job", "-i", (dir / "b.wav").string(), "-I", "-ss 1 -t 5",
                  "-o", (dir / "trimmed.wav").string(), "-O", "-vol 128" }, &out), 0) << out;
    EXPECT_NEAR(soxSeconds(dir / "trimmed.wav"), 5.0, 0.001);
}

TEST(JobCommandTest, LogLevelGovernsTheLibrariesMessages)
{
    TempDir dir;
    testsupport::makeTone(dir / "a.wav", 1.0, 44100, 2, { "-b", "16" });
    const std::string in = (dir / "a.wav").string();
    const std::string out = (dir / "a.flac").string();
    std::string text;
    ASSERT_EQ(runProgram({ cli(), "job", "-i", in, "-o", out }, &text), 0) << text;
    EXPECT_NE(text.find("[info] Input #0, wav"), std::string::npos) << text;
    ASSERT_EQ(runProgram({ cli(), "--loglevel", "error", "job", "-i", in, "-o", out }, &text), 0);
    EXPECT_EQ(text.find("Input #0"), std::string::npos) << text;
}

TEST(JobCommandTest, UsageAndFailures)
{
    TempDir dir;
    testsupport::makeTone(dir / "a.wav", 1.0);
    testsupport::writeFile(dir / "empty.wav", "");
    std::string in = (dir / "a.wav").string();
    std::string out;
    EXPECT_EQ(runProgram({ cli(), "job", "-i", in }, &out), 2);
    EXPECT_EQ(runProgram({ cli(), "job", "-o", "x.mp3" }, &out), 2);
    EXPECT_EQ(runProgram({ cli(), "job", "-I", "-ss 1", "-i", in, "-o", "x.mp3" }, &out), 2);
    EXPECT_EQ(runProgram({ cli(), "job", "--help" }, &out), 0);
    EXPECT_NE(out.find("Usage: quaverly-cli job"), std::string::npos);

    struct {
        std::vector<std::string> args;
        std::string message;
    } failures[] = {
        { { "-i", (dir / "empty.wav").string(), "-o", (dir / "o.mp3").string() },
            "Invalid data found when processing input" },
        { { "-i", in, "-o", in }, "Output file is the same as input file: " + in },
        { { "-i", in, "-o", (dir / "o.mp3").string(), "-O", "-c:a nosuchcodec" },
            "Unknown encoder 'nosuchcodec'" },
        { { "-i", in, "-o", (dir / "o.mp3").string(), "-O", "-ac two" },
            "Expected integer for ac but found two" },
    };
    for (const auto& f : failures) {
        std::vector<std::string> argv { cli(), "job" };
        argv.insert(argv.end(), f.args.begin(), f.args.end());
        EXPECT_EQ(runProgram(argv, &out), 1) << out;
        EXPECT_NE(out.find(f.message), std::string::npos) << out;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(JobCommandTest, InterruptStopsWithAValidShorterFile)
{
    TempDir dir;
    // Slowest encoder setting on CD-quality input: the job runs for seconds, well past
    // its first progress line, even on a fast machine.
    testsupport::makeTone(dir / "long.wav", 240.0, 44100, 2, { "-b", "16" });
    std::string output = (dir / "out.mp3").string();
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(pipefd[1], STDERR_FILENO);
        close(pipefd[0]);
        execl(cli().c_str(), "quaverly-cli", "job", "-i", (dir / "long.wav").c_str(), "-o",
            output.c_str(), "-O", "-c:a libmp3lame -compression_level 0", nullptr);
        _exit(127);
    }
    close(pipefd[1]);
    // The first progress line means the conversion is under way.
    std::string text;
    char buf[512];
    ssize_t n;
    while (text.find("progress:") == std::string::npos && (n = read(pipefd[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    kill(pid, SIGINT);
    while (read(pipefd[0], buf, sizeof buf) > 0) {
    }
    close(pipefd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    double seconds = soxSeconds(output);
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 235.0);
}

}  // namespace
