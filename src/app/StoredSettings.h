#pragma once
// The values kept in the per-user settings store between runs of the program.

#include "app/Profile.h"

#include <QString>

#include <optional>

class QSettings;

struct TStoredSettings {
    std::optional<QString> OutputPath;
    // The open dialog's folder; read back empty when that folder no longer exists,
    // not written when no file was chosen.
    std::optional<QString> OpenAudioDialogPath;
    int RecentProfileIndex = 0;
    // The profile whose settings were last edited, with those settings; -1 for none.
    int LastEditedProfileIndex = -1;
    QString AudioCodecName;
    QString AudioBitRate;
    QString SampleRate;
    QString Channels;
};

// The store of this program.
inline constexpr const char* SettingsOrganization = "Larkspire";
inline constexpr const char* SettingsApplication = "Quaverly";

// Reads what the store holds. A value of the wrong type, and a profile index that is
// not one of `profileCount` profiles, falls back to its default.
TStoredSettings ReadStoredSettings(QSettings& store, int profileCount);

// Writes the values; the last edited profile's four values only when it is set.
// False when the store could not be written.
bool WriteStoredSettings(QSettings& store, const TStoredSettings& values);

// Puts the stored settings of the last edited profile back into it, each value only
// when it is one of that profile's choices.
void RestoreLastEditedProfile(const TStoredSettings& values, TProfiles& profiles);

// The last edited profile's current settings, for writing.
void TakeLastEditedProfile(TStoredSettings& values, const TProfiles& profiles);
