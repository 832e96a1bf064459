#include "app/EventsLog.h"
#include "gui/MainForm.h"
#include "media/FFLoader.h"

#include <QTime>

#include <gtest/gtest.h>

namespace {

// Each test starts with the libraries unloaded, as the program does.
class MediaLibrariesStartup : public ::testing::Test {
protected:
    MediaLibrariesStartup() { FFLoader().Unload(AllLibraries); }
    ~MediaLibrariesStartup() override
    {
        FFLoader().SetRunTimeVersionForTest(avFilter, std::nullopt);
        FFLoader().Unload(AllLibraries);
    }
};

} // namespace

TEST_F(MediaLibrariesStartup, LoadsAllLibrariesWithoutAnError)
{
    const qsizetype linesBefore = EventsLog().Lines().size();
    TMainForm form;
    EXPECT_TRUE(FFLoader().Loaded(AllLibraries)) << FFLoader().LastErrMsg();
    EXPECT_TRUE(form.PendingReports.empty());
    EXPECT_EQ(EventsLog().Lines().size(), linesBefore);
    EXPECT_EQ(form.State.ActionHistory.first(), "FFLOGGER HISTORY:");
}

TEST_F(MediaLibrariesStartup, FailureIsReportedLoggedAndTriedAgainWhenFilesAreListed)
{
    FFLoader().SetRunTimeVersionForTest(avFilter, 1);
    TMainForm form;
    ASSERT_EQ(form.PendingReports.size(), 1u);
    const QString text = form.PendingReports[0].first;
    EXPECT_TRUE(text.startsWith("Load library libavfilter.so.")) << text.toStdString();
    EXPECT_EQ(form.PendingReports[0].second, "CLM_FFAVLibLoad");
    const QString line = EventsLog().Lines().last();
    EXPECT_TRUE(line.endsWith("-> " + text)) << line.toStdString();
    EXPECT_TRUE(line.contains(':')) << line.toStdString(); // the time stamp

    EXPECT_FALSE(form.PrepareMediaLibraries());
    ASSERT_EQ(form.PendingReports.size(), 2u);
    EXPECT_EQ(form.PendingReports[1], std::make_pair(text, QString("CLM_FFLoadAVLib2")));

    FFLoader().SetRunTimeVersionForTest(avFilter, std::nullopt);
    EXPECT_TRUE(form.PrepareMediaLibraries());
    EXPECT_TRUE(FFLoader().Loaded(AllLibraries));
}
