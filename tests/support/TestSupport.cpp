#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "quaverly-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto& e : fs::recursive_directory_iterator(m_path, ec))
        if (e.is_directory(ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

int runProgram(const std::vector<std::string>& argv, std::string* output)
{
    int pipefd[2];
    if (pipe(pipefd) != 0)
        return -1;
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        dup2(pipefd[1], STDOUT_FILENO);
        dup2(pipefd[1], STDERR_FILENO);
        close(pipefd[0]);
        close(pipefd[1]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipefd[1]);
    std::string text;
    std::array<char, 4096> buf {};
    ssize_t n;
    while ((n = read(pipefd[0], buf.data(), buf.size())) > 0)
        text.append(buf.data(), static_cast<size_t>(n));
    close(pipefd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void makeTone(const fs::path& file, double seconds, int rate, int channels,
    const std::vector<std::string>& extra)
{
    std::vector<std::string> argv { "sox", "-n", "-r", std::to_string(rate), "-c",
        std::to_string(channels) };
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), { file.string(), "synth", std::to_string(seconds), "sine", "440",
                                "vol", "0.5" });
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << out;
}

void runGstLaunch(const std::string& pipeline)
{
    std::vector<std::string> argv { "gst-launch-1.0", "-q" };
    for (size_t start = 0; start < pipeline.size();) {
        size_t end = std::min(pipeline.find(' ', start), pipeline.size());
        argv.push_back(pipeline.substr(start, end - start));
        start = end + 1;
    }
    std::string out;
    ASSERT_EQ(runProgram(argv, &out), 0) << pipeline << "\n" << out;
}

void encodeAudio(const fs::path& wav, const fs::path& out, const std::vector<std::string>& extra)
{
    const std::string ext = out.extension().string();
    const std::string source = "filesrc location=" + wav.string() + " ! wavparse ! audioconvert ! ";
    const std::string sink = " ! filesink location=" + out.string();
    std::vector<std::string> argv;
    if (ext == ".flac")
        argv = { "flac", "-s", "-f" };
    else if (ext == ".mp3")
        argv = { "lame", "--quiet" };
    else if (ext == ".ogg")
        argv = { "oggenc", "-Q" };
    else if (ext == ".opus")
        argv = { "opusenc", "--quiet" };
    else if (ext == ".m4a")
        return runGstLaunch(source + "avenc_aac ! mp4mux" + sink);
    else if (ext == ".wma")
        return runGstLaunch(source + "avenc_wmav2 ! avmux_asf" + sink);
    else if (ext == ".mkv")
        return runGstLaunch("matroskamux name=m" + sink + " videotestsrc num-buffers=25 ! "
            "video/x-raw,width=64,height=48,framerate=10/1 ! jpegenc ! queue ! m. " + source
            + "vorbisenc ! queue ! m.");
    ASSERT_FALSE(argv.empty()) << "no encoder for " << out;
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(wav.string());
    if (ext == ".flac" || ext == ".ogg")
        argv.push_back("-o");
    argv.push_back(out.string());
    std::string text;
    ASSERT_EQ(runProgram(argv, &text), 0) << text;
}

void writeFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

ScratchHome::ScratchHome()
{
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    m_home = home ? home : "";
    m_hadConfig = config != nullptr;
    m_config = config ? config : "";
    setenv("HOME", m_dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_dir.path() / ".config").string().c_str(), 1);
}

ScratchHome::~ScratchHome()
{
    setenv("HOME", m_home.c_str(), 1);
    if (m_hadConfig)
        setenv("XDG_CONFIG_HOME", m_config.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

fs::path programDir()
{
    if (const char* dir = std::getenv("QUAVERLY_PROGRAM_DIR"))
        return dir;
    return QUAVERLY_PROGRAM_DIR_DEFAULT;
}

}  // namespace testsupport
