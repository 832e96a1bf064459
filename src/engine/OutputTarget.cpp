#include "engine/OutputTarget.h"

extern "C" {
#include <libavutil/error.h>
}

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

int CreateOutputTarget(const std::string& ATarget, std::string& ATemp)
{
    static std::atomic<unsigned> counter { 0 };
    fs::path target = fs::u8path(ATarget);
    fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path temp = folder
            / ("." + target.filename().string() + "." + std::to_string(getpid()) + "-"
                + std::to_string(counter++) + ".part");
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            ATemp = temp.string();
            return 0;
        }
        if (errno != EEXIST)
            return AVERROR(errno);
    }
    return AVERROR(EEXIST);
}

int CommitOutputTarget(const std::string& ATemp, const std::string& ATarget)
{
    if (std::rename(ATemp.c_str(), ATarget.c_str()) != 0) {
        int code = AVERROR(errno);
        DiscardOutputTarget(ATemp);
        return code;
    }
    return 0;
}

void DiscardOutputTarget(const std::string& ATemp)
{
    if (!ATemp.empty())
        unlink(ATemp.c_str());
}
