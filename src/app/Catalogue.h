#pragma once
// The profile catalogue: its text layout, the choice lists and the loading.

#include "app/Profile.h"

#include <QString>
#include <QStringList>

// Splits "value$text,value$text" into its values (`values` true) or its texts.
QStringList SplitChoiceList(const QString& list, bool values);

// Key: from the first "<" to the first blank after it; value: between the first two
// double quotes. Either is empty when its delimiters are missing.
void ParseProfileLine(const QString& line, QString& key, QString& value);

// Removes leading and trailing blanks and control characters.
QString TrimCatalogueLine(const QString& line);

// Builds the catalogue from plain lines; throws std::runtime_error for a key line
// that comes before the first profile.
TProfiles ParseCatalogue(const QStringList& lines);

// Reads the scrambled catalogue file; throws std::runtime_error on any failure.
TProfiles LoadCatalogue(const QString& fileName);

// Position of `value` among the values of a choice list, -1 when absent.
int ChoiceIndex(const QString& list, const QString& value);
