#pragma once
// The main window: toolbar, media list, output and profile panel, preview strip and
// the Settings and Tag Editor tabs. Its start-up reads the skin, the catalogue, the
// folders and the settings store; closing it saves the settings.

#include "app/SharedState.h"
#include "engine/FFEncoder.h"
#include "media/FFLogger.h"

#include <QMainWindow>
#include <QPixmap>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QToolBar;
class QToolButton;
class TSettingComboBox;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Reports raised while the start-up ran are held until every window exists; the
    // program entry calls this once the eight windows are created.
    void StartupFinished();

    void SaveSettings();
    void EnableControls(bool enableORdisable, bool AllControls);
    static void DisableButton(QToolButton* MyButton);
    // Loads what the media list needs before files are listed, then enables the list
    // commands; false when something could not be loaded.
    bool PrepareMediaLibraries();

    // Selects a profile of the profile box from code; runs the profile choice even
    // when that entry was already selected.
    void SelectProfile(int index);
    void FillSettingBoxes();
    void ApplySettingBoxes();

    TSharedState State;
    // The transcoding engine; it also loads the media libraries at start-up.
    TFFEncoder FFEncoder;
    // The application's logger; every line it delivers goes into the action history.
    std::unique_ptr<TFFLogger> FFLogger;
    void FFLoggerLog(const void* Sender, uint32_t AThreadID, TLogLevel ALogLevel,
        const std::string& ALogMsg);
    QString OpenDialogFilter;
    // Folder of the first file chosen in the open dialog since start; empty if none.
    QString ChosenDialogFolder;
    bool JoinAllMusic = false;
    bool MixAllMusic = false;
    bool JoinConvertedFilesNow = false;
    bool MixNow = false;

    // Toolbar and its two image lists (player index 3 is never loaded).
    QToolBar* ToolBar = nullptr;
    QToolButton* AddButton = nullptr;
    QToolButton* RemoveButton = nullptr;
    QToolButton* TrimButton = nullptr;
    QToolButton* MixButton = nullptr;
    QToolButton* JoinButton = nullptr;
    QToolButton* StartButton = nullptr;
    QToolButton* PauseBtn = nullptr;
    QToolButton* StopBtn = nullptr;
    std::array<QPixmap, 10> ToolbarImages;
    std::array<QPixmap, 7> PlayerImages;
    QLabel* imgLogo = nullptr;

    // Output folder and profile panel.
    QWidget* panOutput = nullptr;
    QLineEdit* edDestinationFolder = nullptr;
    QToolButton* btnBrowseFolder = nullptr;
    QPushButton* btnOpenFolder = nullptr;
    TSettingComboBox* cmbProfile = nullptr;
    QCheckBox* chApplyToAll = nullptr;

    // List area: the media list, with the getting-started panel over it until files
    // are listed.
    QWidget* panList = nullptr;
    QWidget* panGettingStarted = nullptr;
    QLabel* imgGettingStarted = nullptr;
    QTableWidget* sgList = nullptr;
    QPushButton* lblConvertAll = nullptr;
    QPixmap TableRowPicture;
    QPixmap TableCaptionPicture;

    // Preview strip.
    QWidget* panPreview = nullptr;
    QWidget* FScreenControl = nullptr;
    QSlider* VideoTrackBar = nullptr;
    QToolButton* PlayButton = nullptr;
    QToolButton* PauseButton = nullptr;
    QToolButton* StopButton = nullptr;
    QLabel* lblPlayTime = nullptr;

    // Settings and Tag Editor tabs.
    QTabWidget* pcSettings = nullptr;
    TSettingComboBox* cmbAudioEncoder = nullptr;
    TSettingComboBox* cmbAudioBitRate = nullptr;
    TSettingComboBox* cmbSampleRate = nullptr;
    TSettingComboBox* cmbChannel = nullptr;
    TSettingComboBox* cmbQuality = nullptr;
    QLineEdit* edSaveAs = nullptr;
    QLineEdit* TimeStart = nullptr;
    QLineEdit* TimeEnd = nullptr;
    QSpinBox* edVolume = nullptr;
    QLineEdit* edTitle = nullptr;
    QLineEdit* edAuthor = nullptr;
    QLineEdit* edAlbum = nullptr;
    QLineEdit* edGenre = nullptr;
    QLineEdit* edYear = nullptr;
    QLineEdit* edTrack = nullptr;
    QLabel* TagNoteLabel = nullptr;
    QCheckBox* chMixTags = nullptr;
    QCheckBox* chJoinTags = nullptr;

    QProgressBar* Gauge = nullptr;
    QPushButton* lblFacebook = nullptr;
    QPushButton* lblTwitter = nullptr;
    QFileDialog* dlgopen = nullptr;

    // Menus. The list's pop-up entries are enabled once files can be listed.
    QAction* AddAudioFiles1 = nullptr;
    QAction* FileInformation1 = nullptr;
    QAction* StartConversion1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* EditRemove1 = nullptr;
    QAction* EditClearAll1 = nullptr;
    QAction* EditRename1 = nullptr;
    QAction* EditMoveUp1 = nullptr;
    QAction* EditMoveDown1 = nullptr;
    QAction* EditTrimAudio1 = nullptr;
    QAction* EventsLog1 = nullptr;
    QAction* OnlineGuide1 = nullptr;
    QAction* Support1 = nullptr;
    QAction* HomePage1 = nullptr;
    QAction* OnFacebook1 = nullptr;
    QAction* OnTwitter1 = nullptr;
    QAction* About1 = nullptr;
    QMenu* pmList = nullptr;
    QAction* AddFiles1 = nullptr;
    QAction* Remove1 = nullptr;
    QAction* ClearAll1 = nullptr;
    QAction* Rename1 = nullptr;
    QAction* MoveUp1 = nullptr;
    QAction* MoveDown1 = nullptr;
    QAction* TrimAudio1 = nullptr;
    QAction* ListFileInformation1 = nullptr;

    // Start-up reports waiting for the error window (message, mark).
    std::vector<std::pair<QString, QString>> PendingReports;

public slots:
    void AddButtonClick();
    void cmbProfileClick();
    void chApplyToAllClick();
    void cmbQualityCloseUp();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void Report(const QString& message, const QString& mark);
    bool LoadMediaLibraries(const QString& mark);

    void BuildLayout();
    void BuildMenus();
    void BuildToolBar();
    QWidget* BuildOutputPanel();
    QWidget* BuildListArea();
    QWidget* BuildPreviewPanel();
    QWidget* BuildSettingsTabs();
    QWidget* BuildSettingsPage();
    QWidget* BuildTagPage();
    QWidget* BuildBottomBar();
    void ConnectHandlers();

    void LoadSkin();
    void LoadSkinPictures();
    void ReadSettings();
    void FillProfileBox();
    void BrowseOutputFolder();
    void OpenOutputFolder();
    void RecomputeEstimates();
    int SelectedItem() const;
    void RememberDialogFolder(const QStringList& files);
    QList<QAction*> ListMenuEntries() const;

    QAction* logoAction = nullptr;
    bool FStarting = true;
};
