#include "engine/OpenCodecs.h"

#include <algorithm>

void TOpenCodecs::Add(const void* AJob, TKind AKind, int AIndex)
{
    std::lock_guard guard(FLock);
    List(AKind).push_back({ AJob, AIndex });
}

std::vector<int> TOpenCodecs::Take(const void* AJob, TKind AKind)
{
    std::vector<int> taken;
    std::lock_guard guard(FLock);
    std::vector<TEntry>& list = List(AKind);
    auto own = std::stable_partition(
        list.begin(), list.end(), [AJob](const TEntry& AEntry) { return AEntry.job != AJob; });
    for (auto it = own; it != list.end(); ++it)
        taken.push_back(it->index);
    list.erase(own, list.end());
    return taken;
}

int TOpenCodecs::Count(const void* AJob) const
{
    std::lock_guard guard(FLock);
    auto counted = [AJob](const TEntry& AEntry) { return !AJob || AEntry.job == AJob; };
    return static_cast<int>(std::count_if(FEncoders.begin(), FEncoders.end(), counted)
        + std::count_if(FDecoders.begin(), FDecoders.end(), counted));
}

TOpenCodecs& OpenCodecs()
{
    static TOpenCodecs codecs;
    return codecs;
}
