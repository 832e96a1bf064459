#include "app/Folders.h"
#include "app/OpenDialogFilter.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::TempDir;

using testsupport::ScratchHome;

TEST(Folders, DocumentsFoldersAreCreatedUnderAFreshHome)
{
    ScratchHome home;
    const fs::path base = home / "Documents/Larkspire/Quaverly";
    EXPECT_TRUE(CreateDocumentFolders());
    EXPECT_TRUE(fs::is_directory(base / "Output"));
    EXPECT_EQ(DefaultOutputFolder().toStdString(), (base / "Output").string());
    EXPECT_EQ(PrepareTempFolder().toStdString(), (base / "Temp").string());
    EXPECT_TRUE(fs::is_directory(base / "Temp"));
    // Existing folders are simply kept.
    EXPECT_TRUE(CreateDocumentFolders());
}

TEST(Folders, TempFallsBackToTheProgramFolder)
{
    ScratchHome home;
    fs::create_directories(home / "Documents");
    testsupport::writeFile(home / "Documents/Larkspire", "a file in the way");
    EXPECT_FALSE(CreateDocumentFolders());
    SetProgramFolder("/opt/quaverly");
    EXPECT_EQ(PrepareTempFolder(), "/opt/quaverly");
    EXPECT_EQ(SkinFolder(), "/opt/quaverly/skin-charm");
    EXPECT_EQ(CatalogueFile(), "/opt/quaverly/quaverly-profiles/formats.dat");
    SetProgramFolder(QString());
}

TEST(OpenDialogFilter, BuiltFromBothTablesInOrder)
{
    const QString filter = BuildOpenDialogFilter();
    EXPECT_TRUE(filter.startsWith("All Supported Formats|*.aac;*.ac3;*.ape;"));
    EXPECT_TRUE(filter.contains("*.wma;*.mod;*.mts; *.ts; *m2ts; *.tp;*.avi;"));
    EXPECT_TRUE(filter.contains("*.nsv;*.vob;|Audio Formats|*.aac;"));
    EXPECT_TRUE(filter.contains("*.wma;|Video Formats|*.mod;"));
    EXPECT_TRUE(filter.contains("*.vob;|Advanced Audio Coding (*.aac)|*.aac;|Dolby-digital AC-3"));
    EXPECT_TRUE(filter.contains("|Windows Media Audio (*.wma)|*.wma;|MOD files (*.mod)|*.mod;"));
    EXPECT_TRUE(filter.contains("|Raw h.264 video files (*.h.264)|*.h.264;"));
    EXPECT_TRUE(filter.endsWith("|Video Object files (*.vob)|*.vob;"));
    EXPECT_EQ(filter.count('|'), 2 * (3 + 17 + 17) - 1);
}

TEST(OpenDialogFilter, DialogSyntaxKeepsGroupsAndMasks)
{
    const QStringList groups = ToDialogFilter(BuildOpenDialogFilter()).split(";;");
    ASSERT_EQ(groups.size(), 3 + 17 + 17);
    EXPECT_TRUE(groups[0].startsWith("All Supported Formats (*.aac *.ac3 "));
    EXPECT_TRUE(groups[0].endsWith(" *.nsv *.vob)"));
    EXPECT_EQ(groups[0].count('*'), 17 + 26);
    EXPECT_TRUE(groups[2].startsWith("Video Formats (*.mod *.mts *.ts *m2ts *.tp *.avi"));
    EXPECT_EQ(groups[3], "Advanced Audio Coding (*.aac)");
    EXPECT_EQ(groups[21], "High-definition files (*.mts *.ts *m2ts *.tp)");
    EXPECT_EQ(groups[34], "Raw h.264 video files (*.h.264)");
}
