#include "app/TimeText.h"

QString FormatTime(int64_t microseconds)
{
    const int64_t seconds = microseconds / 1000000;
    return QString::asprintf("%.2lld:%.2lld:%.2lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}
