#pragma once
// Times as the user sees them.

#include <QString>

#include <cstdint>

// "hh:mm:ss" of a time in microseconds; hours are not wrapped at 24.
QString FormatTime(int64_t microseconds);
