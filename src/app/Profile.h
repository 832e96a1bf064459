#pragma once
// One output profile of the catalogue: what a conversion produces.

#include <QString>

#include <vector>

struct TProfile {
    QString Title;
    QString FormatExt;
    QString Description;
    QString AudioBitRates;
    QString SampleRates;
    QString Channels;
    QString AudioCodecs;
    QString AudioCodecName;
    QString SampleRate;
    QString AudioBitRate;
    QString StandardAudioBitRate;
    QString Channel;
    QString ExtraParam;
};

// The catalogue in file order; a profile's index is its identity.
using TProfiles = std::vector<TProfile>;
