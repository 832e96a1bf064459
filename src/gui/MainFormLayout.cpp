// Builds the main window's controls, menus and toolbar.
#include "gui/MainForm.h"

#include "gui/SettingComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QToolBar* bar, const QString& name, const QString& caption)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(32, 32));
    button->setMinimumWidth(64);
    bar->addWidget(button);
    return button;
}

QToolButton* playerButton(QWidget* parent, const QString& name, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    return button;
}

TSettingComboBox* settingBox(QWidget* parent, const QString& name)
{
    auto* box = new TSettingComboBox(parent);
    box->setObjectName(name);
    box->setMinimumWidth(150);
    return box;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QLineEdit* timeEdit(QWidget* parent, const QString& name)
{
    auto* edit = lineEdit(parent, name);
    edit->setInputMask(QStringLiteral("99:99:99"));
    edit->setText(QStringLiteral("00:00:00"));
    edit->setMaxLength(8);
    edit->setFixedWidth(80);
    return edit;
}

} // namespace

void TMainForm::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddAudioFiles1 = file->addAction(QStringLiteral("Add audio files"));
    AddAudioFiles1->setShortcut(QKeySequence::Open);
    FileInformation1 = file->addAction(QStringLiteral("File Information"));
    FileInformation1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    StartConversion1 = file->addAction(QStringLiteral("Start Conversion"));
    StartConversion1->setShortcut(QKeySequence(Qt::Key_F5));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("Exit"));
    Exit1->setShortcut(QKeySequence::Quit);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    EditRemove1 = edit->addAction(QStringLiteral("Remove"));
    EditRemove1->setShortcut(QKeySequence::Delete);
    EditClearAll1 = edit->addAction(QStringLiteral("Clear All"));
    EditClearAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    EditRename1 = edit->addAction(QStringLiteral("Rename"));
    EditRename1->setShortcut(QKeySequence(Qt::Key_F2));
    edit->addSeparator();
    EditMoveUp1 = edit->addAction(QStringLiteral("Move Up"));
    EditMoveUp1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    EditMoveDown1 = edit->addAction(QStringLiteral("Move Down"));
    EditMoveDown1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    edit->addSeparator();
    EditTrimAudio1 = edit->addAction(QStringLiteral("Trim Audio..."));
    EditTrimAudio1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    EventsLog1 = tools->addAction(QStringLiteral("Events Log"));
    EventsLog1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    OnlineGuide1 = help->addAction(QStringLiteral("Online Guide"));
    OnlineGuide1->setShortcut(QKeySequence::HelpContents);
    Support1 = help->addAction(QStringLiteral("Support"));
    HomePage1 = help->addAction(QStringLiteral("Home Page"));
    QMenu* tell = help->addMenu(QStringLiteral("Tell a Friend"));
    OnFacebook1 = tell->addAction(QStringLiteral("On Facebook"));
    OnTwitter1 = tell->addAction(QStringLiteral("On Twitter"));
    help->addSeparator();
    About1 = help->addAction(QStringLiteral("About"));

    pmList = new QMenu(this);
    AddFiles1 = pmList->addAction(QStringLiteral("Add Files..."));
    Remove1 = pmList->addAction(QStringLiteral("Remove"));
    ClearAll1 = pmList->addAction(QStringLiteral("Clear All"));
    Rename1 = pmList->addAction(QStringLiteral("Rename"));
    MoveUp1 = pmList->addAction(QStringLiteral("Move Up"));
    MoveDown1 = pmList->addAction(QStringLiteral("Move Down"));
    TrimAudio1 = pmList->addAction(QStringLiteral("Trim Audio..."));
    ListFileInformation1 = pmList->addAction(QStringLiteral("File Information"));
    for (QAction* entry : ListMenuEntries())
        entry->setEnabled(false);
}

void TMainForm::BuildToolBar()
{
    ToolBar = addToolBar(QStringLiteral("Toolbar"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(32, 32));
    AddButton = toolButton(ToolBar, QStringLiteral("AddButton"), QStringLiteral("Add Files"));
    RemoveButton = toolButton(ToolBar, QStringLiteral("RemoveButton"), QStringLiteral("Remove"));
    ToolBar->addSeparator();
    TrimButton = toolButton(ToolBar, QStringLiteral("TrimButton"), QStringLiteral("Trim"));
    MixButton = toolButton(ToolBar, QStringLiteral("MixButton"), QStringLiteral("Mix All"));
    JoinButton = toolButton(ToolBar, QStringLiteral("JoinButton"), QStringLiteral("Join All"));
    ToolBar->addSeparator();
    StartButton = toolButton(ToolBar, QStringLiteral("StartButton"), QStringLiteral("Convert"));
    PauseBtn = toolButton(ToolBar, QStringLiteral("PauseBtn"), QStringLiteral("Pause"));
    StopBtn = toolButton(ToolBar, QStringLiteral("StopBtn"), QStringLiteral("Stop"));

    auto* spacer = new QWidget(ToolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar->addWidget(spacer);
    imgLogo = new QLabel(ToolBar);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    ToolBar->addWidget(imgLogo)->setVisible(false);
    logoAction = ToolBar->actions().constLast();
}

QWidget* TMainForm::BuildOutputPanel()
{
    panOutput = new QWidget(this);
    panOutput->setObjectName(QStringLiteral("panOutput"));
    auto* layout = new QHBoxLayout(panOutput);
    layout->setContentsMargins(6, 4, 6, 4);

    layout->addWidget(new QLabel(QStringLiteral("Output folder:"), panOutput));
    edDestinationFolder = lineEdit(panOutput, QStringLiteral("edDestinationFolder"));
    edDestinationFolder->setReadOnly(true);
    layout->addWidget(edDestinationFolder, 1);
    btnBrowseFolder = new QToolButton(panOutput);
    btnBrowseFolder->setObjectName(QStringLiteral("btnBrowseFolder"));
    btnBrowseFolder->setText(QStringLiteral("..."));
    btnBrowseFolder->setToolTip(QStringLiteral("Choose the output folder"));
    layout->addWidget(btnBrowseFolder);
    btnOpenFolder = new QPushButton(QStringLiteral("Open"), panOutput);
    btnOpenFolder->setObjectName(QStringLiteral("btnOpenFolder"));
    layout->addWidget(btnOpenFolder);

    layout->addSpacing(16);
    layout->addWidget(new QLabel(QStringLiteral("Profile:"), panOutput));
    cmbProfile = settingBox(panOutput, QStringLiteral("cmbProfile"));
    cmbProfile->setMinimumWidth(240);
    layout->addWidget(cmbProfile);
    chApplyToAll = new QCheckBox(QStringLiteral("Apply to All"), panOutput);
    chApplyToAll->setObjectName(QStringLiteral("chApplyToAll"));
    chApplyToAll->setChecked(true);
    layout->addWidget(chApplyToAll);
    return panOutput;
}

QWidget* TMainForm::BuildListArea()
{
    panList = new QWidget(this);
    panList->setObjectName(QStringLiteral("panList"));
    auto* listLayout = new QVBoxLayout(panList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    sgList = new QTableWidget(0, 5, panList);
    sgList->setObjectName(QStringLiteral("sgList"));
    sgList->setHorizontalHeaderLabels({ QStringLiteral("Source"), QStringLiteral("Trimmed Length"),
        QStringLiteral("Estimated Size"), QStringLiteral("Destination File"),
        QStringLiteral("Format") });
    sgList->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgList->setSelectionMode(QAbstractItemView::SingleSelection);
    sgList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgList->setShowGrid(false);
    sgList->setFrameShape(QFrame::NoFrame);
    sgList->verticalHeader()->setVisible(false);
    sgList->horizontalHeader()->setStretchLastSection(true);
    sgList->horizontalHeader()->setHighlightSections(false);
    sgList->setContextMenuPolicy(Qt::CustomContextMenu);
    listLayout->addWidget(sgList, 1);

    // The getting-started panel fills the empty list below its header.
    panGettingStarted = new QWidget(sgList->viewport());
    panGettingStarted->setObjectName(QStringLiteral("panGettingStarted"));
    auto* over = new QVBoxLayout(sgList->viewport());
    over->setContentsMargins(0, 0, 0, 0);
    over->addWidget(panGettingStarted);
    auto* start = new QVBoxLayout(panGettingStarted);
    imgGettingStarted = new QLabel(panGettingStarted);
    imgGettingStarted->setObjectName(QStringLiteral("imgGettingStarted"));
    imgGettingStarted->setAlignment(Qt::AlignCenter);
    start->addWidget(imgGettingStarted, 1);

    lblConvertAll = new QPushButton(QStringLiteral("Convert all"), panList);
    lblConvertAll->setObjectName(QStringLiteral("lblConvertAll"));
    lblConvertAll->setFlat(true);
    lblConvertAll->setEnabled(false);
    lblConvertAll->setVisible(false);
    listLayout->addWidget(lblConvertAll, 0, Qt::AlignRight);
    return panList;
}

QWidget* TMainForm::BuildPreviewPanel()
{
    panPreview = new QWidget(this);
    panPreview->setObjectName(QStringLiteral("panPreview"));
    auto* layout = new QVBoxLayout(panPreview);
    layout->setContentsMargins(6, 6, 6, 6);

    FScreenControl = new QWidget(panPreview);
    FScreenControl->setObjectName(QStringLiteral("FScreenControl"));
    FScreenControl->setMinimumSize(240, 150);
    FScreenControl->setAttribute(Qt::WA_StyledBackground);
    layout->addWidget(FScreenControl, 1);

    VideoTrackBar = new QSlider(Qt::Horizontal, panPreview);
    VideoTrackBar->setObjectName(QStringLiteral("VideoTrackBar"));
    layout->addWidget(VideoTrackBar);

    auto* buttons = new QHBoxLayout;
    PlayButton = playerButton(panPreview, QStringLiteral("PlayButton"), QStringLiteral("Play"));
    PauseButton = playerButton(panPreview, QStringLiteral("PauseButton"), QStringLiteral("Pause"));
    StopButton = playerButton(panPreview, QStringLiteral("StopButton"), QStringLiteral("Stop"));
    buttons->addWidget(PlayButton);
    buttons->addWidget(PauseButton);
    buttons->addWidget(StopButton);
    buttons->addStretch(1);
    lblPlayTime = new QLabel(QStringLiteral("00:00:00 / 00:00:00"), panPreview);
    lblPlayTime->setObjectName(QStringLiteral("lblPlayTime"));
    lblPlayTime->setAlignment(Qt::AlignCenter);
    lblPlayTime->setFrameShape(QFrame::StyledPanel);
    buttons->addWidget(lblPlayTime);
    layout->addLayout(buttons);
    return panPreview;
}

QWidget* TMainForm::BuildSettingsPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    cmbAudioEncoder = settingBox(page, QStringLiteral("cmbAudioEncoder"));
    cmbAudioBitRate = settingBox(page, QStringLiteral("cmbAudioBitRate"));
    cmbSampleRate = settingBox(page, QStringLiteral("cmbSampleRate"));
    cmbChannel = settingBox(page, QStringLiteral("cmbChannel"));
    cmbQuality = settingBox(page, QStringLiteral("cmbQuality"));
    cmbQuality->addItems(
        { QStringLiteral("Low"), QStringLiteral("Standard"), QStringLiteral("High") });
    cmbQuality->setCurrentIndex(1);
    grid->addWidget(new QLabel(QStringLiteral("Codec:")), 0, 0);
    grid->addWidget(cmbAudioEncoder, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Bit rate:")), 1, 0);
    grid->addWidget(cmbAudioBitRate, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Quality:")), 2, 0);
    grid->addWidget(cmbQuality, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Sample:")), 0, 2);
    grid->addWidget(cmbSampleRate, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Channels:")), 1, 2);
    grid->addWidget(cmbChannel, 1, 3);

    edVolume = new QSpinBox(page);
    edVolume->setObjectName(QStringLiteral("edVolume"));
    edVolume->setRange(1, 5000);
    edVolume->setValue(100);
    grid->addWidget(new QLabel(QStringLiteral("Vol. (%):")), 2, 2);
    grid->addWidget(edVolume, 2, 3);

    auto* trim = new QHBoxLayout;
    TimeStart = timeEdit(page, QStringLiteral("TimeStart"));
    TimeEnd = timeEdit(page, QStringLiteral("TimeEnd"));
    trim->addWidget(TimeStart);
    trim->addWidget(new QLabel(QStringLiteral("End:")));
    trim->addWidget(TimeEnd);
    trim->addStretch(1);
    grid->addWidget(new QLabel(QStringLiteral("Start:")), 3, 0);
    grid->addLayout(trim, 3, 1);
    edSaveAs = lineEdit(page, QStringLiteral("edSaveAs"));
    grid->addWidget(new QLabel(QStringLiteral("Save as:")), 3, 2);
    grid->addWidget(edSaveAs, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* TMainForm::BuildTagPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    edTitle = lineEdit(page, QStringLiteral("edTitle"));
    edAuthor = lineEdit(page, QStringLiteral("edAuthor"));
    edAlbum = lineEdit(page, QStringLiteral("edAlbum"));
    edGenre = lineEdit(page, QStringLiteral("edGenre"));
    edYear = lineEdit(page, QStringLiteral("edYear"));
    edTrack = lineEdit(page, QStringLiteral("edTrack"));
    grid->addWidget(new QLabel(QStringLiteral("Title:")), 0, 0);
    grid->addWidget(edTitle, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Artist:")), 1, 0);
    grid->addWidget(edAuthor, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Album:")), 2, 0);
    grid->addWidget(edAlbum, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Genre:")), 0, 2);
    grid->addWidget(edGenre, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Year:")), 1, 2);
    grid->addWidget(edYear, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Track:")), 2, 2);
    grid->addWidget(edTrack, 2, 3);

    chMixTags = new QCheckBox(QStringLiteral("Apply these tags if mixing"), page);
    chMixTags->setObjectName(QStringLiteral("chMixTags"));
    chJoinTags = new QCheckBox(QStringLiteral("Apply these tags if joining"), page);
    chJoinTags->setObjectName(QStringLiteral("chJoinTags"));
    TagNoteLabel = new QLabel(page);
    TagNoteLabel->setObjectName(QStringLiteral("TagNoteLabel"));
    grid->addWidget(chMixTags, 3, 1);
    grid->addWidget(chJoinTags, 3, 3);
    grid->addWidget(TagNoteLabel, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

QWidget* TMainForm::BuildSettingsTabs()
{
    pcSettings = new QTabWidget(this);
    pcSettings->setObjectName(QStringLiteral("pcSettings"));
    pcSettings->addTab(BuildSettingsPage(), QStringLiteral("Settings"));
    pcSettings->addTab(BuildTagPage(), QStringLiteral("Tag Editor"));
    return pcSettings;
}

QWidget* TMainForm::BuildBottomBar()
{
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(6, 2, 6, 4);
    Gauge = new QProgressBar(bar);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    layout->addWidget(Gauge, 1);
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("Tell a friend:"), bar));
    lblFacebook = new QPushButton(QStringLiteral("Facebook"), bar);
    lblFacebook->setObjectName(QStringLiteral("lblFacebook"));
    lblTwitter = new QPushButton(QStringLiteral("Twitter"), bar);
    lblTwitter->setObjectName(QStringLiteral("lblTwitter"));
    for (QPushButton* link : { lblFacebook, lblTwitter }) {
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
        layout->addWidget(link);
    }
    return bar;
}

void TMainForm::BuildLayout()
{
    BuildMenus();
    BuildToolBar();

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(BuildPreviewPanel(), 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(BuildListArea());
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setChildrenCollapsible(false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(BuildOutputPanel());
    layout->addWidget(split, 1);
    layout->addWidget(BuildSettingsTabs());
    layout->addWidget(BuildBottomBar());
    setCentralWidget(central);

    dlgopen = new QFileDialog(this, QStringLiteral("Open file"));
    dlgopen->setFileMode(QFileDialog::ExistingFiles);
    dlgopen->setAcceptMode(QFileDialog::AcceptOpen);
    resize(960, 680);
}

QList<QAction*> TMainForm::ListMenuEntries() const
{
    return { Remove1, ClearAll1, Rename1, MoveUp1, MoveDown1, TrimAudio1, ListFileInformation1 };
}
