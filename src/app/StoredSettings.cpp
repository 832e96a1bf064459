#include "app/StoredSettings.h"

#include "app/Catalogue.h"

#include <QDir>
#include <QSettings>

namespace {

const QString kOutputPath = QStringLiteral("OutputPath");
const QString kOpenAudioDialogPath = QStringLiteral("OpenAudioDialogPath");
const QString kRecentProfile = QStringLiteral("recentprofileind");
const QString kLastEditedProfile = QStringLiteral("lasteditedprofileind");
const QString kAudioCodecName = QStringLiteral("audiocodecname");
const QString kAudioBitRate = QStringLiteral("audiobitrate");
const QString kSampleRate = QStringLiteral("samplerate");
const QString kChannels = QStringLiteral("channels");

std::optional<QString> readString(QSettings& store, const QString& name)
{
    const QVariant value = store.value(name);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

// An index the store holds, or `fallback` when absent, not a whole number, or not
// one of `count` profiles.
int readProfileIndex(QSettings& store, const QString& name, int count, int fallback)
{
    const QVariant value = store.value(name);
    bool ok = false;
    const int index = value.typeId() == QMetaType::QString ? value.toString().toInt(&ok)
        : value.typeId() == QMetaType::Int                 ? value.toInt(&ok)
                                                           : 0;
    return ok && index >= 0 && index < count ? index : fallback;
}

void restoreChoice(QString& field, const QString& stored, const QString& choices)
{
    if (!stored.isEmpty() && ChoiceIndex(choices, stored) >= 0)
        field = stored;
}

} // namespace

TStoredSettings ReadStoredSettings(QSettings& store, int profileCount)
{
    TStoredSettings values;
    values.OutputPath = readString(store, kOutputPath);
    values.OpenAudioDialogPath = readString(store, kOpenAudioDialogPath);
    if (values.OpenAudioDialogPath && !QDir(*values.OpenAudioDialogPath).exists())
        values.OpenAudioDialogPath = QString();
    values.RecentProfileIndex = readProfileIndex(store, kRecentProfile, profileCount, 0);
    values.LastEditedProfileIndex = readProfileIndex(store, kLastEditedProfile, profileCount, -1);
    if (values.LastEditedProfileIndex >= 0) {
        values.AudioCodecName = readString(store, kAudioCodecName).value_or(QString());
        values.AudioBitRate = readString(store, kAudioBitRate).value_or(QString());
        values.SampleRate = readString(store, kSampleRate).value_or(QString());
        values.Channels = readString(store, kChannels).value_or(QString());
    }
    return values;
}

bool WriteStoredSettings(QSettings& store, const TStoredSettings& values)
{
    store.setValue(kOutputPath, values.OutputPath.value_or(QString()));
    if (values.OpenAudioDialogPath && !values.OpenAudioDialogPath->isEmpty())
        store.setValue(kOpenAudioDialogPath, *values.OpenAudioDialogPath);
    store.setValue(kRecentProfile, values.RecentProfileIndex);
    if (values.LastEditedProfileIndex >= 0) {
        store.setValue(kLastEditedProfile, values.LastEditedProfileIndex);
        store.setValue(kAudioCodecName, values.AudioCodecName);
        store.setValue(kAudioBitRate, values.AudioBitRate);
        store.setValue(kSampleRate, values.SampleRate);
        store.setValue(kChannels, values.Channels);
    }
    store.sync();
    return store.status() == QSettings::NoError;
}

void RestoreLastEditedProfile(const TStoredSettings& values, TProfiles& profiles)
{
    const int index = values.LastEditedProfileIndex;
    if (index < 0 || index >= static_cast<int>(profiles.size()))
        return;
    TProfile& p = profiles[static_cast<size_t>(index)];
    restoreChoice(p.AudioCodecName, values.AudioCodecName, p.AudioCodecs);
    restoreChoice(p.AudioBitRate, values.AudioBitRate, p.AudioBitRates);
    restoreChoice(p.SampleRate, values.SampleRate, p.SampleRates);
    restoreChoice(p.Channel, values.Channels, p.Channels);
}

void TakeLastEditedProfile(TStoredSettings& values, const TProfiles& profiles)
{
    const int index = values.LastEditedProfileIndex;
    if (index < 0 || index >= static_cast<int>(profiles.size())) {
        values.LastEditedProfileIndex = -1;
        return;
    }
    const TProfile& p = profiles[static_cast<size_t>(index)];
    values.AudioCodecName = p.AudioCodecName;
    values.AudioBitRate = p.AudioBitRate;
    values.SampleRate = p.SampleRate;
    values.Channels = p.Channel;
}
