#pragma once
// The encoder's jobs, in order. The list owns them: deleting or clearing frees them,
// and a job's destruction stops it and waits for its worker. Changed only on the UI
// thread while no run is going; workers only read it.

#include "engine/FFmpeg.h"

#include <memory>
#include <vector>

class TFFmpegList {
public:
    int Add(std::unique_ptr<TFFmpeg> AJob);
    void Delete(int AIndex);
    void Clear();
    // Empties the list and hands its jobs to the caller.
    std::vector<std::unique_ptr<TFFmpeg>> TakeAll();
    void Exchange(int AIndex1, int AIndex2);
    TFFmpeg* Item(int AIndex) const;
    int IndexOf(const TFFmpeg* AJob) const;
    int Count() const { return static_cast<int>(FItems.size()); }

    void Pause();
    void Resume();
    // Sets a preview flag on every job.
    void SetPostHook(TPostHook AHook, bool AValue);

private:
    // Raises std::out_of_range for an index outside the list.
    void CheckIndex(int AIndex) const;

    std::vector<std::unique_ptr<TFFmpeg>> FItems;
};
