#pragma once
// One entry of the media list.

#include <QString>

#include <cstdint>
#include <vector>

struct TAudioFile {
    QString Source;
    QString SourceTitleExt;
    int64_t TrimmedLength = 0;
    double EstimatedSize = 0.0;
    QString DestinationTitle;
    QString Status = QStringLiteral("-");
    int64_t TimeStart = 0;
    int64_t TimeEnd = 0;
    int Volume = 100;
    int ProfileInd = 0;
    QString Title;
    QString Artist;
    QString Album;
    QString Genre;
    QString Year;
    QString Track;
};

// The media list in display order.
using TAudioFiles = std::vector<TAudioFile>;
