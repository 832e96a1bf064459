// The profile box, "Apply to All", the setting boxes and the quality box.
#include "gui/MainForm.h"

#include "app/Catalogue.h"
#include "app/SizeEstimate.h"
#include "app/TimeText.h"
#include "gui/SettingComboBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

enum { qualityLow, qualityStandard, qualityHigh };

void fillBox(QComboBox* box, const QString& choices, const QString& current)
{
    box->addItems(SplitChoiceList(choices, false));
    box->setCurrentIndex(ChoiceIndex(choices, current));
}

} // namespace

int TMainForm::SelectedItem() const
{
    const int row = sgList->currentRow();
    return row >= 0 && row < static_cast<int>(State.AudioFiles.size()) ? row : -1;
}

void TMainForm::SelectProfile(int index)
{
    {
        const QSignalBlocker blocker(cmbProfile);
        cmbProfile->setCurrentIndex(index);
    }
    cmbProfileClick();
}

void TMainForm::cmbProfileClick()
{
    const int index = cmbProfile->currentIndex();
    // Without a catalogue there is no profile to choose.
    if (index < 0 || index >= static_cast<int>(State.Profiles.size()))
        return;
    if (State.FilesAdded && State.AudioFiles.empty())
        return;
    if (const int item = SelectedItem(); item >= 0)
        State.AudioFiles[static_cast<size_t>(item)].ProfileInd = index;
    State.CurrentProfileIndex = index;
    State.RecentProfileIndex = index;
    if (chApplyToAll->isChecked())
        for (TAudioFile& file : State.AudioFiles)
            file.ProfileInd = index;
    FillSettingBoxes();
    RecomputeEstimates();
}

void TMainForm::chApplyToAllClick()
{
    if (!chApplyToAll->isChecked())
        return;
    for (TAudioFile& file : State.AudioFiles)
        file.ProfileInd = State.CurrentProfileIndex;
    sgList->viewport()->update();
}

void TMainForm::FillSettingBoxes()
{
    for (QComboBox* box : { cmbAudioBitRate, cmbSampleRate, cmbAudioEncoder, cmbChannel })
        box->clear();
    const int index = State.CurrentProfileIndex;
    if (index < 0 || index >= static_cast<int>(State.Profiles.size()))
        return;
    const TProfile& p = State.Profiles[static_cast<size_t>(index)];
    fillBox(cmbSampleRate, p.SampleRates, p.SampleRate);
    fillBox(cmbChannel, p.Channels, p.Channel);
    fillBox(cmbAudioEncoder, p.AudioCodecs, p.AudioCodecName);
    fillBox(cmbAudioBitRate, p.AudioBitRates, p.AudioBitRate);

    const int bitRate = cmbAudioBitRate->currentIndex();
    if (bitRate == 0)
        cmbQuality->setCurrentIndex(qualityLow);
    else if (cmbAudioBitRate->count() == bitRate + 1)
        cmbQuality->setCurrentIndex(qualityHigh);
    else
        cmbQuality->setCurrentIndex(qualityStandard);
}

void TMainForm::ApplySettingBoxes()
{
    const int index = State.CurrentProfileIndex;
    if (State.AudioFiles.empty() || index < 0 || index >= static_cast<int>(State.Profiles.size()))
        return;
    State.LastEditedProfileIndex = index;
    TProfile& p = State.Profiles[static_cast<size_t>(index)];
    const std::tuple<QComboBox*, QString*, const QString*> boxes[] = {
        { cmbSampleRate, &p.SampleRate, &p.SampleRates },
        { cmbChannel, &p.Channel, &p.Channels },
        { cmbAudioEncoder, &p.AudioCodecName, &p.AudioCodecs },
        { cmbAudioBitRate, &p.AudioBitRate, &p.AudioBitRates },
    };
    for (const auto& [box, field, choices] : boxes) {
        if (!box->isEnabled())
            continue;
        const QStringList values = SplitChoiceList(*choices, true);
        const int picked = box->currentIndex();
        if (picked < 0 || picked >= values.size()) {
            Report(QStringLiteral("Error setting profile"), QStringLiteral("CLM_SettingProfile"));
            break;
        }
        *field = values[picked];
    }
    RecomputeEstimates();
}

void TMainForm::cmbQualityCloseUp()
{
    const int index = State.CurrentProfileIndex;
    if (index < 0 || index >= static_cast<int>(State.Profiles.size()))
        return;
    switch (cmbQuality->currentIndex()) {
    case qualityLow:
        cmbAudioBitRate->setCurrentIndex(0);
        break;
    case qualityHigh:
        cmbAudioBitRate->setCurrentIndex(cmbAudioBitRate->count() - 1);
        break;
    default: {
        const TProfile& p = State.Profiles[static_cast<size_t>(index)];
        cmbAudioBitRate->setCurrentIndex(ChoiceIndex(p.AudioBitRates, p.StandardAudioBitRate));
    }
    }
    ApplySettingBoxes();
}

void TMainForm::RecomputeEstimates()
{
    const auto profileCount = State.Profiles.size();
    for (TAudioFile& file : State.AudioFiles) {
        const auto profile = static_cast<size_t>(file.ProfileInd);
        file.EstimatedSize = profile < profileCount
            ? EstimateSizeMB(file.TrimmedLength, State.Profiles[profile].AudioBitRate)
            : 0.0;
    }
    if (const int item = SelectedItem(); item >= 0) {
        const TAudioFile& file = State.AudioFiles[static_cast<size_t>(item)];
        TimeStart->setText(FormatTime(file.TimeStart));
        TimeEnd->setText(FormatTime(file.TimeEnd));
    }
    sgList->viewport()->update();
}
