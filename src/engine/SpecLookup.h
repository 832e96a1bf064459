#pragma once
// Per-stream option values: the last occurrence whose specifier matches a stream wins.

#include "engine/EngineLog.h"
#include "engine/FFmpegException.h"
#include "engine/PendingOptions.h"

template <typename T>
const T* LastMatching(const std::vector<TSpecOpt<T>>& AList, AVFormatContext* AContext,
    AVStream* AStream)
{
    const T* found = nullptr;
    for (const auto& o : AList) {
        int r = check_stream_specifier(AContext, AStream, o.specifier);
        if (r < 0)
            throw FFmpegException(ErrorText("check_stream_specifier", AVERROR(EINVAL)));
        if (r > 0)
            found = &o.u;
    }
    return found;
}

template <typename T> const T* Last(const std::vector<TSpecOpt<T>>& AList)
{
    return AList.empty() ? nullptr : &AList.back().u;
}

