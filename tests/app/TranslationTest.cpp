#include "app/Translation.h"

#include <gtest/gtest.h>

TEST(Translation, LooksTextsUpInTheSelectedRow)
{
    EXPECT_EQ(TranslateText("Mix Type"), "Mix Type");
    LanguageTable()
        = { { { "Mix Type", "Break" }, { "Mischart", "Abbrechen" }, { "Only one" } }, 1 };
    EXPECT_EQ(TranslateText("Break"), "Abbrechen");
    EXPECT_EQ(TranslateText("Unknown"), "Unknown");
    // A row shorter than the first keeps the English text.
    LanguageTable().Selected = 2;
    EXPECT_EQ(TranslateText("Break"), "Break");
    LanguageTable() = {};
}
