#include "app/ActionHistory.h"

#include <gtest/gtest.h>

TEST(ActionHistory, LineCarriesThreadLevelOrdinalAndUtf8Text)
{
    EXPECT_EQ(HistoryLine(4711, llWarning,
                  "Stra\xC3\x9F"
                  "e"),
        QString::fromUtf8("#4711.4: Stra\u00DFe"));
    EXPECT_EQ(HistoryLine(1, llQuiet, ""), "#1.0: ");
    EXPECT_EQ(HistoryLine(4294967295u, llDebug, "x"), "#4294967295.7: x");
}
