#pragma once
// The language table: rows of texts, one row per language, positions matching; the
// first row holds the program's own English texts. The program ships no other row,
// so every text comes back unchanged until one is added.

#include <QString>
#include <QStringList>

#include <vector>

struct TLanguageTable {
    std::vector<QStringList> Rows;
    int Selected = 0;
};

TLanguageTable& LanguageTable();

// The text at the same position in the selected language's row when Text stands in
// the first row; otherwise Text itself.
QString TranslateText(const QString& Text);
