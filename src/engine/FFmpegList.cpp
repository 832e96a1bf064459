#include "engine/FFmpegList.h"

#include "media/FormatText.h"

#include <stdexcept>
#include <utility>

int TFFmpegList::Add(std::unique_ptr<TFFmpeg> AJob)
{
    FItems.push_back(std::move(AJob));
    return Count() - 1;
}

void TFFmpegList::CheckIndex(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        throw std::out_of_range(FormatText("List index out of bounds (%d)", AIndex));
}

void TFFmpegList::Delete(int AIndex)
{
    CheckIndex(AIndex);
    // Out of the list first, then freed: the job may still deliver its last event.
    std::unique_ptr<TFFmpeg> job = std::move(FItems[AIndex]);
    FItems.erase(FItems.begin() + AIndex);
}

void TFFmpegList::Clear()
{
    while (!FItems.empty())
        Delete(Count() - 1);
}

std::vector<std::unique_ptr<TFFmpeg>> TFFmpegList::TakeAll()
{
    std::vector<std::unique_ptr<TFFmpeg>> jobs;
    jobs.swap(FItems);
    return jobs;
}

void TFFmpegList::Exchange(int AIndex1, int AIndex2)
{
    CheckIndex(AIndex1);
    CheckIndex(AIndex2);
    std::swap(FItems[AIndex1], FItems[AIndex2]);
}

TFFmpeg* TFFmpegList::Item(int AIndex) const
{
    CheckIndex(AIndex);
    return FItems[AIndex].get();
}

int TFFmpegList::IndexOf(const TFFmpeg* AJob) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].get() == AJob)
            return i;
    return -1;
}

void TFFmpegList::Pause()
{
    for (auto& job : FItems)
        job->Pause();
}

void TFFmpegList::Resume()
{
    for (auto& job : FItems)
        job->Resume();
}

void TFFmpegList::SetPostHook(TPostHook AHook, bool AValue)
{
    for (auto& job : FItems)
        job->SetPostHook(AHook, AValue);
}
