#pragma once
// State that the main window shares with the lists, runs and secondary windows.
// Owned by the main window; read and written on the user-interface thread only
// (the mixer reads the list from the mix job's worker while a mix runs).

#include "app/AudioFile.h"
#include "app/Profile.h"

#include <QString>
#include <QStringList>

struct TSharedState {
    TAudioFiles AudioFiles;
    TProfiles Profiles;
    int CurrentProfileIndex = 0;
    int RecentProfileIndex = 0;
    int LastEditedProfileIndex = -1;
    int MixTagsIndex = -1;
    int JoinTagsIndex = -1;
    bool ItemLoading = false;
    bool FilesAdded = false;
    QString OutputFolder;
    QString TempFolder;
    QStringList ActionHistory;
};
