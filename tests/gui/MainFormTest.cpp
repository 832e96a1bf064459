#include "gui/MainForm.h"
#include "app/Decryptor.h"
#include "app/Folders.h"
#include "gui/SettingComboBox.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace fs = std::filesystem;
using testsupport::ScratchHome;
using testsupport::TempDir;

namespace {

QString q(const fs::path& p)
{
    return QString::fromStdString(p.string());
}

// A main window started with a fresh home and settings store.
class MainFormTest : public testing::Test {
protected:
    MainFormTest()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, q(home.config()));
    }

    std::unique_ptr<QSettings> store() const
    {
        return std::make_unique<QSettings>(QStringLiteral("Larkspire"), QStringLiteral("Quaverly"));
    }

    std::unique_ptr<TMainForm> start() { return std::make_unique<TMainForm>(); }

    // Items as the media list will hold them: one minute each, on profile 0.
    static void listItems(TMainForm& form, int count)
    {
        form.State.AudioFiles.assign(static_cast<size_t>(count), TAudioFile {});
        for (TAudioFile& file : form.State.AudioFiles) {
            file.TrimmedLength = 60'000'000;
            file.TimeEnd = file.TrimmedLength;
        }
        form.sgList->setRowCount(count);
        form.sgList->setCurrentCell(count - 1, 0);
    }

    static double estimate(const QString& bitRate, int seconds)
    {
        return bitRate.toDouble() / 1000 * 0.125 * seconds / 1024;
    }

    ScratchHome home;
};

} // namespace

TEST_F(MainFormTest, StartupFillsTheWindowFromCatalogueFoldersAndStore)
{
    QLocale::setDefault(QLocale(QLocale::German));
    auto form = start();
    EXPECT_EQ(QLocale().toString(1.5), "1.5");
    EXPECT_TRUE(form->PendingReports.empty());
    EXPECT_EQ(form->windowTitle(), "Quaverly");
    ASSERT_GE(form->cmbProfile->count(), 10);
    EXPECT_TRUE(form->cmbProfile->itemText(0).startsWith("MP3"));
    EXPECT_EQ(form->cmbProfile->currentIndex(), 0);
    EXPECT_EQ(form->cmbAudioEncoder->currentText(), "MP3 (LAME)");
    EXPECT_EQ(form->cmbAudioBitRate->currentText(), "128 kbit/s");
    EXPECT_EQ(form->cmbSampleRate->currentText(), "44100 Hz");
    EXPECT_EQ(form->cmbChannel->currentText(), "Stereo");
    EXPECT_EQ(form->cmbQuality->currentText(), "Standard");

    const fs::path base = home / "Documents/Larkspire/Quaverly";
    EXPECT_EQ(form->edDestinationFolder->text(), q(base / "Output"));
    EXPECT_EQ(form->State.TempFolder, q(base / "Temp"));
    EXPECT_TRUE(fs::is_directory(base / "Temp"));
    EXPECT_EQ(form->State.ActionHistory, QStringList { "FFLOGGER HISTORY:" });
    EXPECT_EQ(form->TagNoteLabel->text(), "Note: not all audio formats have tags.");
    EXPECT_EQ(form->dlgopen->nameFilters().size(), 37);
    EXPECT_EQ(form->sgList->columnWidth(3), 155);
    EXPECT_FALSE(form->ToolbarImages[5].isNull());
    EXPECT_FALSE(form->PlayerImages[6].isNull());

    // Idle before any file is listed: only adding files is offered.
    EXPECT_TRUE(form->AddButton->isEnabled());
    for (QToolButton* b : { form->TrimButton, form->MixButton, form->StartButton, form->PauseBtn,
             form->StopBtn, form->JoinButton, form->RemoveButton })
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(form->Remove1->isEnabled());
    EXPECT_FALSE(form->ListFileInformation1->isEnabled());
}

TEST_F(MainFormTest, StoredSettingsAreRestoredAndSavedOnClose)
{
    {
        auto s = store();
        s->setValue("OutputPath", QString::fromUtf8("/srv/Müsik"));
        s->setValue("recentprofileind", 2);
        s->setValue("lasteditedprofileind", 2);
        s->setValue("audiobitrate", "64000");
        s->setValue("channels", "1");
    }
    auto form = start();
    EXPECT_EQ(form->edDestinationFolder->text(), QString::fromUtf8("/srv/Müsik"));
    EXPECT_EQ(form->cmbProfile->currentIndex(), 2);
    EXPECT_EQ(form->State.Profiles[2].AudioBitRate, "64000");
    EXPECT_EQ(form->State.Profiles[2].StandardAudioBitRate, "160000");
    EXPECT_EQ(form->cmbAudioBitRate->currentIndex(), 0);
    EXPECT_EQ(form->cmbQuality->currentText(), "Low");
    EXPECT_EQ(form->cmbChannel->currentText(), "Mono");

    listItems(*form, 1);
    form->SelectProfile(1);
    form->cmbSampleRate->setCurrentIndex(form->cmbSampleRate->findText("48000 Hz"));
    emit form->cmbSampleRate->CloseUp();
    form->ChosenDialogFolder = q(home.path());
    form->close();

    auto s = store();
    EXPECT_EQ(s->value("OutputPath").toString(), QString::fromUtf8("/srv/Müsik"));
    EXPECT_EQ(s->value("recentprofileind").toInt(), 1);
    EXPECT_EQ(s->value("lasteditedprofileind").toInt(), 1);
    EXPECT_EQ(s->value("samplerate").toString(), "48000");
    EXPECT_EQ(s->value("audiocodecname").toString(), "aac");
    EXPECT_EQ(s->value("OpenAudioDialogPath").toString(), q(home.path()));
}

TEST_F(MainFormTest, BrokenCatalogueSkipsTheRestOfTheStartup)
{
    struct Case {
        const char* name;
        const char* plain; // nullptr: no catalogue file at all
        bool loadFails;
    } cases[] = {
        { "missing", nullptr, true },
        { "key before profile", "<ProfileSet>\n<formatext value=\".mp3\">\n<Profile>\n", true },
        { "no profile", "<ProfileSet>\n</ProfileSet>\n", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir program;
        if (c.plain) {
            fs::create_directories(program / "quaverly-profiles");
            testsupport::writeFile(program / "quaverly-profiles/formats.dat",
                Complemented(QByteArray(c.plain)).toStdString());
        }
        SetProgramFolder(q(program.path()));
        auto form = start();
        SetProgramFolder(q(testsupport::programDir()));

        // No skin there either: the default look.
        EXPECT_TRUE(qApp->styleSheet().isEmpty());
        EXPECT_EQ(form->cmbProfile->count(), 0);
        EXPECT_EQ(form->cmbAudioBitRate->count(), 0);
        using Reports = std::vector<std::pair<QString, QString>>;
        const Reports expected = c.loadFails
            ? Reports { { "Error loading profiles", "CLM_LoadProfiles" } }
            : Reports {};
        EXPECT_EQ(form->PendingReports, expected);
        EXPECT_EQ(form->edDestinationFolder->text().isEmpty(), c.loadFails);
        EXPECT_EQ(fs::exists(home / "Documents/Larkspire"), !c.loadFails);

        // Files cannot be listed without a profile; the user is told why.
        form->PendingReports.clear();
        form->AddButtonClick();
        ASSERT_EQ(form->PendingReports.size(), 1u);
        EXPECT_EQ(form->PendingReports[0].second, "CLM_NoProfiles");
        EXPECT_TRUE(form->PendingReports[0].first.contains("profile"));
        fs::remove_all(home / "Documents");
    }
}

TEST_F(MainFormTest, EnablingTable)
{
    auto form = start();
    form->EnableControls(true, true);
    for (QWidget* w : std::initializer_list<QWidget*> { form->AddButton, form->RemoveButton,
             form->TrimButton, form->MixButton, form->JoinButton, form->StartButton,
             form->pcSettings, form->panOutput, form->panPreview, form->sgList })
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();

    form->JoinAllMusic = true;
    form->EnableControls(true, true);
    EXPECT_FALSE(form->MixButton->isEnabled());
    EXPECT_TRUE(form->JoinButton->isEnabled());
    form->JoinAllMusic = false;
    form->MixAllMusic = true;
    form->EnableControls(true, false);
    EXPECT_TRUE(form->MixButton->isEnabled());
    EXPECT_FALSE(form->JoinButton->isEnabled());

    // A run starts: everything but pause and stop goes.
    TMainForm::DisableButton(form->StartButton);
    form->EnableControls(false, true);
    EXPECT_FALSE(form->StartButton->isEnabled());
    EXPECT_TRUE(form->StartButton->autoRaise());
    for (QWidget* w : std::initializer_list<QWidget*> { form->AddButton, form->RemoveButton,
             form->pcSettings, form->panOutput, form->panPreview, form->sgList, form->TrimButton })
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    // Clearing the list leaves adding and the panels alone.
    form->EnableControls(true, true);
    form->EnableControls(false, false);
    EXPECT_TRUE(form->AddButton->isEnabled());
    EXPECT_TRUE(form->sgList->isEnabled());
    EXPECT_FALSE(form->StartButton->isEnabled());
    EXPECT_TRUE(form->panGettingStarted->isHidden());
}

TEST_F(MainFormTest, PreparingTheListEnablesItsCommands)
{
    auto form = start();
    ASSERT_TRUE(form->PrepareMediaLibraries());
    EXPECT_TRUE(form->panGettingStarted->isHidden());
    EXPECT_TRUE(form->RemoveButton->isEnabled());
    EXPECT_TRUE(form->TrimButton->isEnabled());
    EXPECT_TRUE(form->lblConvertAll->isEnabled());
    for (QAction* a : { form->Remove1, form->ClearAll1, form->Rename1, form->MoveUp1,
             form->MoveDown1, form->TrimAudio1, form->ListFileInformation1 })
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
}

TEST_F(MainFormTest, ProfileChoiceFollowsApplyToAll)
{
    auto form = start();
    listItems(*form, 3);
    form->SelectProfile(1);
    EXPECT_EQ(form->State.CurrentProfileIndex, 1);
    EXPECT_EQ(form->State.RecentProfileIndex, 1);
    for (const TAudioFile& file : form->State.AudioFiles) {
        EXPECT_EQ(file.ProfileInd, 1);
        EXPECT_DOUBLE_EQ(file.EstimatedSize, estimate(form->State.Profiles[1].AudioBitRate, 60));
    }
    EXPECT_EQ(form->cmbAudioEncoder->currentText(), "AAC");
    EXPECT_EQ(form->TimeEnd->text(), "00:01:00");

    // Unchecked: only the selected item follows the profile box.
    form->chApplyToAll->setChecked(false);
    form->SelectProfile(0);
    EXPECT_EQ(form->State.AudioFiles[0].ProfileInd, 1);
    EXPECT_EQ(form->State.AudioFiles[2].ProfileInd, 0);
    EXPECT_DOUBLE_EQ(form->State.AudioFiles[2].EstimatedSize, estimate("128000", 60));

    // Checking it again gives every item the current profile.
    form->chApplyToAll->setChecked(true);
    EXPECT_EQ(form->State.AudioFiles[0].ProfileInd, 0);
}

TEST_F(MainFormTest, ProfileChoiceWithAnEmptyList)
{
    auto form = start();
    // Before files were ever added, the choice still takes effect.
    form->SelectProfile(3);
    EXPECT_EQ(form->State.CurrentProfileIndex, 3);
    EXPECT_EQ(form->cmbAudioEncoder->currentText(), "Opus");
    // Once files were added and the list emptied again, it waits for new files.
    form->State.FilesAdded = true;
    form->SelectProfile(0);
    EXPECT_EQ(form->State.CurrentProfileIndex, 3);
}

TEST_F(MainFormTest, SettingBoxesStorePicksIntoTheProfile)
{
    auto form = start();
    TProfile& mp3 = form->State.Profiles[0];

    // Nothing is stored while the list is empty.
    form->cmbAudioBitRate->setCurrentIndex(0);
    emit form->cmbAudioBitRate->CloseUp();
    EXPECT_EQ(mp3.AudioBitRate, "128000");
    EXPECT_EQ(form->State.LastEditedProfileIndex, -1);

    listItems(*form, 2);
    form->cmbAudioBitRate->setCurrentIndex(0);
    form->cmbChannel->setCurrentIndex(0);
    emit form->cmbAudioBitRate->CloseUp();
    EXPECT_EQ(mp3.AudioBitRate, "64000");
    EXPECT_EQ(mp3.Channel, "1");
    EXPECT_EQ(form->State.LastEditedProfileIndex, 0);
    EXPECT_DOUBLE_EQ(form->State.AudioFiles[1].EstimatedSize, estimate("64000", 60));

    // A current value that is not among the choices leaves its box without a pick.
    mp3.SampleRate = "12345";
    form->FillSettingBoxes();
    EXPECT_EQ(form->cmbSampleRate->currentIndex(), -1);
    form->PendingReports.clear();
    emit form->cmbSampleRate->CloseUp();
    ASSERT_EQ(form->PendingReports.size(), 1u);
    EXPECT_EQ(form->PendingReports[0].first, "Error setting profile");
    EXPECT_EQ(form->PendingReports[0].second, "CLM_SettingProfile");
}

TEST_F(MainFormTest, QualityBoxFollowsAndMovesTheBitRate)
{
    auto form = start();
    listItems(*form, 1);
    TProfile& mp3 = form->State.Profiles[0];
    const QStringList rates = { "64000", "192000", "320000" };
    const QStringList qualities = { "Low", "Standard", "High" };
    for (int i = 0; i < 3; ++i) {
        mp3.AudioBitRate = rates[i];
        form->FillSettingBoxes();
        EXPECT_EQ(form->cmbQuality->currentText(), qualities[i]) << rates[i].toStdString();
    }
    const QStringList picked = { "64000", "128000", "320000" };
    for (int i = 0; i < 3; ++i) {
        form->cmbQuality->setCurrentIndex(i);
        emit form->cmbQuality->CloseUp();
        EXPECT_EQ(mp3.AudioBitRate, picked[i]) << qualities[i].toStdString();
    }
}

TEST(SettingComboBox, ClosingTheDropDownReportsOnceAfterThePick)
{
    TSettingComboBox box;
    box.addItems({ "a", "b" });
    int closeUps = 0;
    int seenIndex = -2;
    QObject::connect(&box, &TSettingComboBox::CloseUp, [&] {
        ++closeUps;
        seenIndex = box.currentIndex();
    });
    box.show();
    box.showPopup();
    box.hidePopup();
    box.setCurrentIndex(1);
    emit box.activated(1);
    EXPECT_EQ(closeUps, 0);
    QApplication::processEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(seenIndex, 1);
    // A pick without the drop-down (keys, wheel) reports at once.
    emit box.activated(0);
    EXPECT_EQ(closeUps, 2);
}
