#include "gui/LogForm.h"
#include "app/EventsLog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(LogForm, ShowsEveryLineInOrderAlsoThoseWrittenWhileClosed)
{
    TEventsLog log;
    log.Add("written before the window exists");
    TLogForm form(nullptr, &log);
    log.AddTimed("-> written while closed");
    form.show();
    QTest::mouseClick(form.spSkinButton4, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    log.Add(""); // an empty separator line
    log.Add("Stra\u00DFe");

    EXPECT_EQ(form.windowTitle(), "Events Log");
    EXPECT_TRUE(form.mmoLog->isReadOnly());
    EXPECT_EQ(log.Lines().size(), 4);
    EXPECT_TRUE(log.Lines()[1].endsWith("-> written while closed"));
    EXPECT_EQ(form.mmoLog->toPlainText().split('\n'), log.Lines());
}
