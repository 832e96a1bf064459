#include "app/SizeEstimate.h"

double EstimateSizeMB(int64_t trimmedLength, const QString& audioBitRate)
{
    const int64_t seconds = trimmedLength > 0 ? trimmedLength / 1000000 : 0;
    const double bitrate = static_cast<double>(audioBitRate.toLongLong());
    return bitrate / 1000.0 * 0.125 * static_cast<double>(seconds) / 1024.0;
}
