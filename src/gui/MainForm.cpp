// The main window's start-up, closing, reports and enabling rules.
#include "gui/MainForm.h"

#include "app/ActionHistory.h"
#include "app/Catalogue.h"
#include "app/EventsLog.h"
#include "app/Folders.h"
#include "app/OpenDialogFilter.h"
#include "app/StoredSettings.h"
#include "app/WebLinks.h"
#include "gui/AboutForm.h"
#include "gui/ErrorReport.h"
#include "gui/Forms.h"
#include "gui/LogForm.h"
#include "gui/SettingComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <stdexcept>

namespace {

void openUrl(const char* url)
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(url)));
}

QString skinFile(const QString& name)
{
    return SkinFolder() + QLatin1Char('/') + name;
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    BuildLayout();
    ConnectHandlers();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate()
{
    TagNoteLabel->setText(QStringLiteral("Note: not all audio formats have tags."));
    setAcceptDrops(true);
    LoadSkin();
    LoadSkinPictures();
    setWindowTitle(QStringLiteral("Quaverly"));
    dlgopen->setDirectory(QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
    State.ActionHistory = { QStringLiteral("FFLOGGER HISTORY:") };
    FFLogger = std::make_unique<TFFLogger>();
    FFLogger->SetOnLog([this](const void* sender, uint32_t thread, TLogLevel level,
                           const std::string& text) { FFLoggerLog(sender, thread, level, text); });

    const int widths[] = { 140, 100, 100, 155, 55 };
    for (int column = 0; column < 5; ++column)
        sgList->setColumnWidth(column, widths[column]);
    sgList->horizontalHeader()->setFixedHeight(20);

    OpenDialogFilter = BuildOpenDialogFilter();
    dlgopen->setNameFilters(ToDialogFilter(OpenDialogFilter).split(QStringLiteral(";;")));

    try {
        State.Profiles = LoadCatalogue(CatalogueFile());
    } catch (const std::exception& e) {
        qWarning("%s", e.what());
        Report(QStringLiteral("Error loading profiles"), QStringLiteral("CLM_LoadProfiles"));
        return;
    }
    // Sizes on screen and numbers in option strings use a point whatever the locale.
    QLocale::setDefault(QLocale::c());

    if (CreateDocumentFolders())
        edDestinationFolder->setText(DefaultOutputFolder());
    State.TempFolder = PrepareTempFolder();
    ReadSettings();
    FillProfileBox();
    LoadMediaLibraries(QStringLiteral("CLM_FFAVLibLoad"));
}

void TMainForm::FFLoggerLog(
    const void*, uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)
{
    State.ActionHistory.append(HistoryLine(AThreadID, ALogLevel, ALogMsg));
}

// Loads the libraries of the encoder (they serve decoders and players alike) from the
// library folder; a failure is reported with the given mark and logged.
bool TMainForm::LoadMediaLibraries(const QString& mark)
{
    if (FFEncoder.AVLibLoaded())
        return true;
    if (FFEncoder.LoadAVLib(MediaLibraryFolder().toStdString()))
        return true;
    const QString text = QString::fromStdString(FFEncoder.LastErrMsg());
    Report(text, mark);
    EventsLog().AddTimed(QStringLiteral("-> ") + text);
    return false;
}

void TMainForm::LoadSkin()
{
    QFile sheet(skinFile(QStringLiteral("skin.ini")));
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // Without a skin the windows keep the platform's look.
        qApp->setStyleSheet(QString());
        return;
    }
    // Pictures in the sheet are named relative to the skin folder.
    QString text = QString::fromUtf8(sheet.readAll());
    text.replace(QStringLiteral("$SKIN"), SkinFolder());
    qApp->setStyleSheet(text);
}

void TMainForm::LoadSkinPictures()
{
    const char* toolbarFiles[] = { "open.png", "remove.png", "trim.png", "mix.png", "join.png",
        "convert.png", "convert_pause.png", "convert_stop.png", "unmix.png", "unjoin.png" };
    for (size_t i = 0; i < ToolbarImages.size(); ++i)
        ToolbarImages[i].load(skinFile(QLatin1String(toolbarFiles[i])));
    const char* playerFiles[] = { "play.png", "pause.png", "stop.png", nullptr, "setstart.png",
        "setend.png", "playpart.png" };
    for (size_t i = 0; i < PlayerImages.size(); ++i)
        if (playerFiles[i])
            PlayerImages[i].load(skinFile(QLatin1String(playerFiles[i])));

    QToolButton* toolbar[] = { AddButton, RemoveButton, TrimButton, MixButton, JoinButton,
        StartButton, PauseBtn, StopBtn };
    for (size_t i = 0; i < std::size(toolbar); ++i)
        toolbar[i]->setIcon(QIcon(ToolbarImages[i]));
    PlayButton->setIcon(QIcon(PlayerImages[0]));
    PauseButton->setIcon(QIcon(PlayerImages[1]));
    StopButton->setIcon(QIcon(PlayerImages[2]));

    TableRowPicture.load(skinFile(QStringLiteral("tablerow.bmp")));
    TableCaptionPicture.load(skinFile(QStringLiteral("tablecolumncaptionbar.bmp")));

    const QPixmap logo(skinFile(QStringLiteral("logo_quaverly.jpg")));
    imgLogo->setPixmap(logo);
    logoAction->setVisible(!logo.isNull());

    const QPixmap gettingStarted(skinFile(QStringLiteral("gettingstarted.bmp")));
    imgGettingStarted->setPixmap(gettingStarted);
    panGettingStarted->setVisible(!gettingStarted.isNull());
}

void TMainForm::ReadSettings()
{
    QSettings store { QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication) };
    const TStoredSettings values
        = ReadStoredSettings(store, static_cast<int>(State.Profiles.size()));
    if (values.OutputPath)
        edDestinationFolder->setText(*values.OutputPath);
    if (values.OpenAudioDialogPath)
        dlgopen->setDirectory(*values.OpenAudioDialogPath);
    State.RecentProfileIndex = values.RecentProfileIndex;
    RestoreLastEditedProfile(values, State.Profiles);
}

void TMainForm::FillProfileBox()
{
    cmbProfile->clear();
    for (const TProfile& profile : State.Profiles)
        cmbProfile->addItem(profile.Title);
    SelectProfile(State.RecentProfileIndex);
}

void TMainForm::SaveSettings()
{
    QSettings store { QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication) };
    TStoredSettings values;
    values.OutputPath = edDestinationFolder->text();
    if (!ChosenDialogFolder.isEmpty())
        values.OpenAudioDialogPath = ChosenDialogFolder;
    values.RecentProfileIndex = State.RecentProfileIndex;
    values.LastEditedProfileIndex = State.LastEditedProfileIndex;
    TakeLastEditedProfile(values, State.Profiles);
    if (!WriteStoredSettings(store, values))
        Report(
            QStringLiteral("Error writing data to Registry"), QStringLiteral("CLM_RegDataWrite"));
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    setAcceptDrops(false);
    // Stopping the preview is wired here with the preview player.
    SaveSettings();
}

void TMainForm::Report(const QString& message, const QString& mark)
{
    if (FStarting) {
        PendingReports.emplace_back(message, mark);
        return;
    }
    ShowErrorReport(message, mark);
}

void TMainForm::StartupFinished()
{
    FStarting = false;
    if (PendingReports.empty())
        return;
    // Shown once the event loop runs, so the main window is on screen behind them.
    QTimer::singleShot(0, this, [this] {
        const auto reports = std::exchange(PendingReports, {});
        for (const auto& [message, mark] : reports)
            ShowErrorReport(message, mark);
    });
}

void TMainForm::EnableControls(bool enableORdisable, bool AllControls)
{
    if (AllControls) {
        for (QWidget* control : { static_cast<QWidget*>(AddButton),
                 static_cast<QWidget*>(RemoveButton), static_cast<QWidget*>(pcSettings), panOutput,
                 panPreview, static_cast<QWidget*>(sgList) })
            control->setEnabled(enableORdisable);
    }
    for (QToolButton* button : { TrimButton, MixButton, JoinButton, StartButton })
        button->setEnabled(enableORdisable);
    // Join and mix exclude each other.
    if (JoinAllMusic)
        MixButton->setEnabled(false);
    if (MixAllMusic)
        JoinButton->setEnabled(false);
    panGettingStarted->hide();
}

void TMainForm::DisableButton(QToolButton* MyButton)
{
    // Toggling the flat look forces the disabled look to be painted at once.
    MyButton->setEnabled(false);
    MyButton->setAutoRaise(false);
    MyButton->repaint();
    MyButton->setAutoRaise(true);
    MyButton->repaint();
}

bool TMainForm::PrepareMediaLibraries()
{
    if (!LoadMediaLibraries(QStringLiteral("CLM_FFLoadAVLib2")))
        return false;
    // Loading SDL is wired here with the preview player; a failure is reported and
    // returns false before the list commands are enabled.
    panGettingStarted->hide();
    sgList->setFrameShape(QFrame::StyledPanel);
    sgList->show();
    RemoveButton->setEnabled(true);
    TrimButton->setEnabled(true);
    lblConvertAll->setEnabled(true);
    for (QAction* entry : ListMenuEntries())
        entry->setEnabled(true);
    return true;
}

void TMainForm::AddButtonClick()
{
    if (State.Profiles.empty()) {
        Report(QStringLiteral("Files cannot be added: no output profile is available. The "
                              "profile catalogue is missing or holds no profile."),
            QStringLiteral("CLM_NoProfiles"));
        return;
    }
    if (dlgopen->exec() != QDialog::Accepted)
        return;
    const QStringList files = dlgopen->selectedFiles();
    RememberDialogFolder(files);
    if (!PrepareMediaLibraries())
        return;
    // Listing the chosen files comes with the media list.
}

void TMainForm::RememberDialogFolder(const QStringList& files)
{
    if (ChosenDialogFolder.isEmpty() && !files.isEmpty())
        ChosenDialogFolder = QFileInfo(files.first()).absolutePath();
}

void TMainForm::BrowseOutputFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Output folder"), edDestinationFolder->text());
    if (!folder.isEmpty())
        edDestinationFolder->setText(QDir::toNativeSeparators(folder));
}

void TMainForm::OpenOutputFolder()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(edDestinationFolder->text()));
}

void TMainForm::ConnectHandlers()
{
    connect(AddButton, &QToolButton::clicked, this, &TMainForm::AddButtonClick);
    connect(AddAudioFiles1, &QAction::triggered, this, &TMainForm::AddButtonClick);
    connect(AddFiles1, &QAction::triggered, this, &TMainForm::AddButtonClick);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(EventsLog1, &QAction::triggered, this, [] {
        if (TForms* forms = TForms::Instance())
            forms->LogForm->exec();
    });
    connect(About1, &QAction::triggered, this, [] {
        if (TForms* forms = TForms::Instance())
            forms->AboutForm->exec();
    });
    connect(OnlineGuide1, &QAction::triggered, this, [] { openUrl(OnlineGuideUrl); });
    connect(Support1, &QAction::triggered, this, [] { openUrl(SupportUrl); });
    connect(HomePage1, &QAction::triggered, this, [] { openUrl(HomePageUrl); });
    connect(OnFacebook1, &QAction::triggered, this, [] { openUrl(FacebookShareUrl); });
    connect(OnTwitter1, &QAction::triggered, this, [] { openUrl(TwitterShareUrl); });
    connect(lblFacebook, &QPushButton::clicked, OnFacebook1, &QAction::trigger);
    connect(lblTwitter, &QPushButton::clicked, OnTwitter1, &QAction::trigger);
    connect(btnBrowseFolder, &QToolButton::clicked, this, &TMainForm::BrowseOutputFolder);
    connect(btnOpenFolder, &QPushButton::clicked, this, &TMainForm::OpenOutputFolder);
    connect(sgList, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { pmList->popup(sgList->viewport()->mapToGlobal(at)); });

    connect(cmbProfile, &QComboBox::activated, this, &TMainForm::cmbProfileClick);
    connect(chApplyToAll, &QCheckBox::toggled, this, &TMainForm::chApplyToAllClick);
    for (TSettingComboBox* box : { cmbAudioEncoder, cmbAudioBitRate, cmbSampleRate, cmbChannel })
        connect(box, &TSettingComboBox::CloseUp, this, &TMainForm::ApplySettingBoxes);
    connect(cmbQuality, &TSettingComboBox::CloseUp, this, &TMainForm::cmbQualityCloseUp);

    // Idle before any file is listed: only adding files is offered.
    for (QToolButton* button :
        { TrimButton, MixButton, StartButton, PauseBtn, StopBtn, JoinButton, RemoveButton })
        button->setEnabled(false);
}
