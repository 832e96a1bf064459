#include "app/TimeStampedLine.h"

#include <gtest/gtest.h>

TEST(TimeStampedLine, PutsTheLongTimeWithoutZoneBeforeTheText)
{
    const QString text = "-> Conversion is started.";
    const QString line = TimeStampedLine(text, QTime(14, 5, 31));
    ASSERT_TRUE(line.endsWith(text)) << line.toStdString();
    const QString stamp = line.chopped(text.size());
    EXPECT_TRUE(stamp.contains(":05:31")) << stamp.toStdString();
    EXPECT_FALSE(stamp.endsWith(' ')) << stamp.toStdString(); // no zone name after the time
}
