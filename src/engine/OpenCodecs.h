#pragma once
// The codecs every job has open, kept by the engine under one lock: one list of
// encoders and one of decoders. A job registers each codec it opens and, at its end,
// takes back and closes only its own, so that a failure that left codecs open still
// closes them and never touches another running job's.

#include <mutex>
#include <vector>

class TOpenCodecs {
public:
    enum TKind { ckEncoder, ckDecoder };

    // AIndex is the job's own output or input stream index.
    void Add(const void* AJob, TKind AKind, int AIndex);
    // Removes the job's entries of that kind and returns their indices.
    std::vector<int> Take(const void* AJob, TKind AKind);
    // Codecs still open: of one job, or of every job when AJob is nullptr.
    int Count(const void* AJob = nullptr) const;

private:
    struct TEntry {
        const void* job;
        int index;
    };
    std::vector<TEntry>& List(TKind AKind) { return AKind == ckEncoder ? FEncoders : FDecoders; }

    mutable std::mutex FLock;
    std::vector<TEntry> FEncoders;
    std::vector<TEntry> FDecoders;
};

// The engine's one instance.
TOpenCodecs& OpenCodecs();
