#pragma once
// Every failure the user must see goes through here, with a code-line mark that
// tells the maker where it happened.

#include <QString>

void ShowErrorReport(const QString& message, const QString& mark);
