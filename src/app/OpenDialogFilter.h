#pragma once
// The open dialog's filter: the groups of supported audio and video formats.

#include <QString>

// The filter text: "description|masks|description|masks...", masks separated by ";".
QString BuildOpenDialogFilter();

// The same groups and masks in the file dialog's own syntax:
// "description (mask mask);;description (mask)".
QString ToDialogFilter(const QString& filter);
