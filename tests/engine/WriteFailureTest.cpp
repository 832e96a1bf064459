#include "JobRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// A small file system of its own, so a test can fill it or make it read-only.
class TScratchMount {
public:
    TScratchMount(const fs::path& AWhere, const std::string& AOptions)
        : FWhere(AWhere)
    {
        fs::create_directory(AWhere);
        FMounted = geteuid() == 0
            && mount("quaverly-test", AWhere.c_str(), "tmpfs", 0, AOptions.c_str()) == 0;
    }
    ~TScratchMount()
    {
        if (FMounted)
            umount(FWhere.c_str());
    }
    bool Mounted() const { return FMounted; }

private:
    fs::path FWhere;
    bool FMounted = false;
};

TEST(WriteFailureTest, FullDiskFailsAndLeavesNothingBehind)
{
    TempDir dir;
    testsupport::makeTone(dir / "in.wav", 5.0);
    TScratchMount disk(dir / "disk", "size=256k");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small file system";
    testsupport::writeFile(dir / "disk" / "out.wav", "earlier");
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "disk" / "out.wav");
    EXPECT_FALSE(r.finished);
    EXPECT_NE(r.error.find("No space left on device"), std::string::npos) << r.error;
    EXPECT_EQ(testsupport::readFile(dir / "disk" / "out.wav"), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "disk"), fs::directory_iterator()), 1);
}

TEST(WriteFailureTest, ReadOnlyFolderIsReportedBeforeConverting)
{
    TempDir dir;
    testsupport::makeTone(dir / "in.wav", 1.0);
    TScratchMount disk(dir / "ro", "ro,size=64k");
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a read-only file system";
    auto r = RunJob({ { dir / "in.wav", {} } }, dir / "ro" / "out.mp3");
    EXPECT_FALSE(r.built);
    EXPECT_EQ(r.error, (dir / "ro" / "out.mp3").string() + ": Read-only file system");
}

}  // namespace
