#pragma once
// The estimated output size of a media item.

#include <QString>

#include <cstdint>

// Megabytes (of 1024 kilobytes of 1000 bytes) that `trimmedLength` microseconds take
// at `audioBitRate` bits per second; whole seconds count, an unknown length is 0.
double EstimateSizeMB(int64_t trimmedLength, const QString& audioBitRate);
