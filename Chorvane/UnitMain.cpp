#include "UnitMain.h"

#include "UnitAdvert.h"
#include "LedDisplay.h"
#include "UnitDisplay.h"
#include "ListViewHistory.h"
#include "UnitHistory.h"
#include "UnitSongTree.h"
#include "Unit_common.h"
#include "control_loader.h"
#include "message_box.h"
#include "ole_control.h"
#include "stored_control_data.h"
#include "take_rules.h"
#include "window_handles.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kToolBarHeight = 57;
constexpr int kLeftPanelWidth = 185;
constexpr int kMeterWidth = 331;
constexpr int kMeterHeight = 74;

QGroupBox* FixedGroup(const QString& name, const QString& caption, int height, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setFixedHeight(height);
    return box;
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    // FormCreate
    setObjectName("frmMain");
    setWindowTitle(QStringLiteral("Chorvane"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    startCaption_ = tr("Start singing");
    stopCaption_ = tr("Stop singing");
    stereoMixerMessage_ =
        tr("No stereo mix line was found on this sound card. Please choose the recording source yourself.");

    buildToolBar();
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(buildLeftPanel());
    columns->addWidget(buildRightPanel());
    setCentralWidget(central);
    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar");
    status->setSizeGripEnabled(false);
    auto* panel = new QLabel(status);
    panel->setFixedWidth(200);
    status->addWidget(panel);
    setStatusBar(status);

    createComponents();
    connectTake();
    // The client area is fixed; the menu bar, when there is one, comes on top of it and
    // the window grows by its height (the commands keep it so).
    setFixedSize(kClientWidth, kClientHeight);
}

TfrmMain::~TfrmMain()
{
    // A take still running is finished while the recorder can still hand out its data.
    take_.reset();
    recorderEvents_.Disconnect();
}

void TfrmMain::SetPartners(TfrmDisplay* display, TfrmLyric* lyric, TfrmCommon* common, mixer::IMixerLibraries* mixers)
{
    display_ = display;
    lyric_ = lyric;
    common_ = common;
    mixers_ = mixers;
    if (common_) History->SetFilePath(QString::fromStdString(common_->HistoryPath()));
    SongTree->SetCommon(common_);
    WebBrowser->SetCommon(common_);
    take_->SetLyrics(lyric_);
    if (display_) {
        display_->setPlayer(player_.get());
        connect(display_, &TfrmDisplay::graphEvent, take_.get(), &TakeController::GraphEvent);
    }
}

void TfrmMain::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName("ToolBar");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The commands give the buttons their pictures, tooltips and handlers.
    const char* const captions[] = {"歌曲管理", "搜索伴奏", "开始演唱", "在线帮组", "技术支持", "联系我们", "官方网站", "关闭软件"};
    for (int i = 0; i < 8; ++i) {
        auto* button = new QToolButton(bar);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        button->setText(QString::fromUtf8(captions[i]));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedSize(55, 52);
        button->setAutoRaise(true);
        bar->addWidget(button);
    }
    addToolBar(Qt::TopToolBarArea, bar);
}

QWidget* TfrmMain::buildLeftPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName("PanelLeft");
    panel->setFixedWidth(kLeftPanelWidth);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    PageControl = new QTabWidget(panel);
    PageControl->setObjectName("PageControl");
    SongTree = new TSongTree(PageControl);
    connect(SongTree, &TSongTree::message, this, [this](const QString& text) { message_box::Show(this, text); });
    History = new THistory(PageControl);
    connect(History, &THistory::playRequested, this, [this](const QString& path) {
        if (common_) common_->OpenAddress(path.toStdString());
    });
    connect(History, &THistory::message, this, [this](const QString& text) { message_box::Show(this, text); });
    PageControl->addTab(SongTree->TabSheetSongList, SongTree->TabSheetSongList->windowTitle());
    // The history tab's page holds the list, which keeps its own name.
    auto* historyPage = new QWidget(PageControl);
    historyPage->setObjectName("TabSheetHistory");
    auto* historyLayout = new QVBoxLayout(historyPage);
    historyLayout->setContentsMargins(0, 0, 0, 0);
    historyLayout->addWidget(History->ListViewHistory);
    PageControl->addTab(historyPage, QStringLiteral("录音历史"));
    // The history tab is the one shown at start.
    PageControl->setCurrentWidget(historyPage);
    layout->addWidget(PageControl, 1);
    auto* searchRow = new QHBoxLayout;
    EditSearch = SongTree->EditSearch;
    ButtonSearch = SongTree->ButtonSearch;
    searchRow->addWidget(EditSearch, 1);
    searchRow->addWidget(ButtonSearch);
    layout->addLayout(searchRow);
    return panel;
}

QWidget* TfrmMain::buildRightPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName("PanelRight");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);

    GroupBoxKaraokeFile = FixedGroup("GroupBoxKaraokeFile", tr("Accompaniment"), 80, panel);
    auto* fileGrid = new QGridLayout(GroupBoxKaraokeFile);
    fileGrid->setContentsMargins(6, 2, 6, 2);
    fileGrid->setVerticalSpacing(2);
    auto* labelKaraoke = new QLabel(tr("&Music:"), GroupBoxKaraokeFile);
    labelKaraoke->setObjectName("LabelKaraokeFile");
    EditKaraokeFile = new QLineEdit(GroupBoxKaraokeFile);
    EditKaraokeFile->setObjectName("EditKaraokeFile");
    labelKaraoke->setBuddy(EditKaraokeFile);
    BitBtnKaraokeFile = new QPushButton(tr("Browse..."), GroupBoxKaraokeFile);
    BitBtnKaraokeFile->setObjectName("BitBtnKaraokeFile");
    LabelLRCFile = new QLabel(tr("&Lyrics:"), GroupBoxKaraokeFile);
    LabelLRCFile->setObjectName("LabelLRCFile");
    EditLRCFile = new QLineEdit(GroupBoxKaraokeFile);
    EditLRCFile->setObjectName("EditLRCFile");
    LabelLRCFile->setBuddy(EditLRCFile);
    BitBtnLRCFile = new QPushButton(tr("Browse..."), GroupBoxKaraokeFile);
    BitBtnLRCFile->setObjectName("BitBtnLRCFile");
    fileGrid->addWidget(labelKaraoke, 0, 0);
    fileGrid->addWidget(EditKaraokeFile, 0, 1);
    fileGrid->addWidget(BitBtnKaraokeFile, 0, 2);
    fileGrid->addWidget(LabelLRCFile, 1, 0);
    fileGrid->addWidget(EditLRCFile, 1, 1);
    fileGrid->addWidget(BitBtnLRCFile, 1, 2);
    connect(EditKaraokeFile, &QLineEdit::textChanged, this, [this] { EditKaraokeFileChange(); });
    connect(BitBtnKaraokeFile, &QPushButton::clicked, this, [this] { RunHandler(this, [this] { BitBtnKaraokeFileClick(); }); });
    connect(BitBtnLRCFile, &QPushButton::clicked, this, [this] { RunHandler(this, [this] { BitBtnLRCFileClick(); }); });

    GroupBoxKaraokeDisplay = FixedGroup("GroupBoxKaraokeDisplay", QString(), 110, panel);
    RzLEDDisplay = new TRzLEDDisplay(GroupBoxKaraokeDisplay);
    RzLEDDisplay->setObjectName("RzLEDDisplay");
    RzLEDDisplay->setGeometry(5, 6 + kMeterHeight + 2, kMeterWidth, 25);

    auto* sing = FixedGroup("GroupBoxKaraokeSing", QString::fromUtf8("开始演唱"), 72, panel);
    ButtonRecord = new QPushButton(sing);
    ButtonRecord->setObjectName("ButtonRecord");
    ButtonRecord->setMinimumHeight(36);
    auto* singLayout = new QHBoxLayout(sing);
    singLayout->addStretch();
    singLayout->addWidget(ButtonRecord, 2);
    singLayout->addStretch();
    connect(ButtonRecord, &QPushButton::clicked, this, [this] { ButtonRecordClick(); });

    auto* channels = FixedGroup("GroupBoxChooseChannel", QString::fromUtf8("伴奏与原声选择"), 46, panel);
    CheckBoxLeftChannel = new QCheckBox(QString::fromUtf8("开启伴奏"), channels);
    CheckBoxLeftChannel->setObjectName("CheckBoxLeftChannel");
    CheckBoxLeftChannel->setChecked(true);
    CheckBoxRightChannel = new QCheckBox(QString::fromUtf8("开启原声"), channels);
    CheckBoxRightChannel->setObjectName("CheckBoxRightChannel");
    auto* channelLayout = new QHBoxLayout(channels);
    channelLayout->setContentsMargins(8, 0, 8, 0);
    channelLayout->addWidget(CheckBoxLeftChannel);
    channelLayout->addWidget(CheckBoxRightChannel);
    // Every change of a box applies the channel choice, with or without a take.
    connect(CheckBoxLeftChannel, &QCheckBox::toggled, this, [this] { RunHandler(this, [this] { ApplyChannelChoice(); }); });
    connect(CheckBoxRightChannel, &QCheckBox::toggled, this, [this] { RunHandler(this, [this] { ApplyChannelChoice(); }); });

    auto* advert = FixedGroup("GroupBoxAD", QString(), 70, panel);
    WebBrowser = new TAdvertPanel(advert);
    WebBrowser->move(4, 6);

    layout->addWidget(GroupBoxKaraokeFile);
    layout->addWidget(GroupBoxKaraokeDisplay);
    layout->addWidget(sing);
    layout->addWidget(channels);
    layout->addWidget(advert);
    layout->addStretch(1);

    ButtonRecord->setText(startCaption_);
    RzLEDDisplay->setCaption(QString::fromLatin1(take_rules::kIdleLedCaption));
    return panel;
}

void TfrmMain::createComponents()
{
    struct Wanted {
        const CLSID& clsid;
        const IID& iid;
        void** slot;
    };
    const Wanted wanted[] = {
        {identity::CLSID_NimVisualization, identity::IID_INimVisualization, meter_.putVoid()},
        {identity::CLSID_NimAudioRecorder, identity::IID_INimAudioRecorder, recorder_.putVoid()},
        {identity::CLSID_NimDXVideoPlayer, identity::IID_INimDXVideoPlayerObject, player_.putVoid()},
        {identity::CLSID_NimAudioFile, identity::IID_INimAudioFile, file_.putVoid()},
    };
    for (const Wanted& w : wanted) {
        std::string error;
        const HRESULT hr = component_shell::CreateControl(w.clsid, w.iid, w.slot, &error);
        if (FAILED(hr) && !componentError_) {
            componentError_ = program_messages::Id::ComponentNotLoaded;
            componentErrorDetail_ = QString::fromStdString(error);
        }
    }
    if (recorder_) {
        const HRESULT hr = recorderEvents_.Connect(recorder_.get(), identity::DIID__INimAudioRecorderEvents, [this](DISPID id) {
            if (id == nim_audio_recorder_dispid::OnData)
                NimAudioRecorderData();
            else if (id == nim_audio_recorder_dispid::OnTimer)
                NimAudioRecorderTimer();
            else if (id == nim_audio_recorder_dispid::OnError)
                NimAudioRecorderError();
        });
        if (FAILED(hr) && !componentError_) {
            componentError_ = program_messages::Id::RecorderEventsNotConnected;
            componentErrorDetail_ = QString::fromStdString(HResultText(hr));
        }
    }
    // Each control takes the data the window stores for it (the meter's grid, the extents).
    for (IUnknown* control : std::initializer_list<IUnknown*>{meter_.get(), recorder_.get(), player_.get(), file_.get()}) {
        const HRESULT hr = stored_control_data::Load(control);
        if (FAILED(hr) && control && !componentError_) {
            componentError_ = program_messages::Id::ControlDataNotLoaded;
            componentErrorDetail_ = QString::fromStdString(HResultText(hr));
        }
    }
    placeMeter();
    take_ = std::make_unique<TakeController>(
        TakeComponents{player_.get(), recorder_.get(), file_.get(), meter_.get(), ComponentErrorText()}, nullptr);
}

QString TfrmMain::ComponentErrorText() const
{
    return componentError_ ? program_messages::Text(*componentError_).arg(componentErrorDetail_) : QString();
}

void TfrmMain::SetStartCaption(const QString& text)
{
    startCaption_ = text;
    if (!take_->running()) ButtonRecord->setText(text);
}

void TfrmMain::SetStopCaption(const QString& text)
{
    stopCaption_ = text;
    if (take_->running()) ButtonRecord->setText(text);
}

void TfrmMain::placeMeter()
{
    if (!meter_) return;
    ComPtr<IControlWindow> window;
    if (FAILED(meter_.As(IID_IControlWindow, &window))) return;
    const HWND parent = window_handles::HandleFor(GroupBoxKaraokeDisplay);
    // The meter's size is its stored extent (331 x 74 pixels).
    SIZEL extent{component_shell::PixelsToHimetric(kMeterWidth), component_shell::PixelsToHimetric(kMeterHeight)};
    ComPtr<IOleObject> ole;
    if (SUCCEEDED(meter_.As(IID_IOleObject, &ole))) (void)ole->GetExtent(DVASPECT_CONTENT, &extent);
    window->InPlaceActivate(parent, 5, 6, component_shell::HimetricToPixels(extent.cx),
                            component_shell::HimetricToPixels(extent.cy), &meterWindow_);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!firstShowDone_) {
        firstShowDone_ = true;
        RunHandler(this, [this] { FormShow(); });
    }
}

void TfrmMain::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (firstPaint_) {
        // FormPaint: the welcome dialog is shown by whoever listens.
        firstPaint_ = false;
        emit firstPainted();
    }
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A running take is finished first, so that its file is complete and listed.
    if (take_->running()) StopTake();
    // A history that cannot be saved keeps the window open, and the user is told why.
    if (!History->FilePath().isEmpty()) {
        try {
            History->SaveHistory(History->FilePath());
        } catch (const ProgramError& e) {
            message_box::Show(this, e.text());
            event->ignore();
            return;
        }
    }
    SongTree->StopSongListDownload();
    RestoreMicrophone();
    RestoreRecordingLine();
    emit sourceListReleased();
    if (display_) display_->hide();
    event->accept();
}
