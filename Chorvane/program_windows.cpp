#include "program_windows.h"

#include "UnitDisplay.h"
#include "UnitHelpDialog.h"
#include "UnitLyric.h"
#include "UnitMain.h"
#include "Unit_common.h"
#include "mixer_interfaces.h"
#include "UnitSetting.h"
#include "recorder_values.h"
#include "Unit_common_directory.h"
#include "UnitStereoMixer.h"
#include "UnitAudioEditor.h"
#include "UnitHistory.h"
#include "message_box.h"
#include "UnitSkin.h"
#include "UnitMainCommands.h"
#include "UnitListenBack.h"
#include "voice_source_panel.h"
#include "language_loader.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QStatusBar>

ProgramWindows::ProgramWindows(std::unique_ptr<mixer::IMixerLibraries> mixers, const std::string& programFolder,
                               const std::string& dataFolder)
    : mixers_(mixers ? std::move(mixers) : mixer::LinkedMixerLibraries())
{
    frmMain_ = std::make_unique<TfrmMain>();
    frmDisplay_ = new TfrmDisplay(frmMain_.get());
    frmLyric_ = std::make_unique<TfrmLyric>();
    if (programFolder.empty()) {
        frmCommon_ = std::make_unique<TfrmCommon>();
    } else {
        const std::string executableFolder = QCoreApplication::applicationDirPath().toStdString();
        frmCommon_ = std::make_unique<TfrmCommon>(
            programFolder, dataFolder.empty() ? TfrmCommon::DataFolderFor(executableFolder) : dataFolder);
    }
    frmMain_->SetPartners(frmDisplay_, frmLyric_.get(), frmCommon_.get(), mixers_.get());
    // The main window works with the values stored in config.ini; the settings dialog,
    // made when it is first wanted, hands them over again at each show and on OK.
    TfrmMain* main = frmMain_.get();
    main->SetWorkingValues(recorder_settings::ToWorkingValues(recorder_settings::Read(frmCommon_->ConfigPath())));
    // The welcome dialog greets the user at the first paint, while config.ini asks for it.
    frmHelpDialog_ = new TfrmHelpDialog(*frmCommon_, main);
    QObject::connect(main, &TfrmMain::firstPainted, frmHelpDialog_, &TfrmHelpDialog::ShowAtStart);
    // The recording source dialog: built at the first show, rebuilt when the settings
    // may have changed the mixer, released at close; each take records from its choice.
    TfrmCommon* common = frmCommon_.get();
    frmStereoMixer_ = new TfrmStereoMixer(
        common->ConfigPath(), mixers_.get(),
        {[main] { return main->mixerIndex(); },
         [main](int32_t index) {
             recorder_settings::WorkingValues values = main->workingValues();
             values.mixerIndex = index;
             main->SetWorkingValues(values);
         },
         [common] { source_choice::OpenSoundSettings([common] { common->OpenVistaRecordingHelp(); }); }},
        main);
    TfrmStereoMixer* sources = frmStereoMixer_;
    QObject::connect(main, &TfrmMain::driverListsFilled, sources, &TfrmStereoMixer::SetDriverList);
    // At start the dialog opens over the main window once that is painted, so that the
    // main window's first paint does not wait for the dialog's; the keyboard stays with
    // the main window, shown after the dialog as it used to be.
    QObject::connect(main, &TfrmMain::recordingSourceDialogRequested, sources, [main, sources] {
        if (main->firstPaintDone()) {
            sources->show();
            return;
        }
        QObject::connect(
            main, &TfrmMain::firstPainted, sources,
            [main, sources] {
                sources->show();
                main->activateWindow();
            },
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    });
    QObject::connect(main, &TfrmMain::sourceListWanted, sources, &TfrmStereoMixer::BuildSourceList);
    QObject::connect(main, &TfrmMain::sourceListReleased, sources, &TfrmStereoMixer::ReleaseSourceList);
    QObject::connect(sources, &TfrmStereoMixer::statusMessage, main,
                     [main](const QString& text) { main->statusBar()->showMessage(text, 8000); });
    main->SetRecordingSource([sources] { return sources->SourceForTake(); });
    // The audio editor window, shown by the history's Edit command with the recording opened in it.
    frmAudioEditor_ = std::make_unique<TfrmAudioEditor>(main);
    frmAudioEditor_->SetHomePageOpener([common = frmCommon_.get()] { common->OpenHomePage(); });
    frmAudioEditor_->SetBitRateSource([main] { return main->workingValues().mp3BitRate; });
    TfrmAudioEditor* editor = frmAudioEditor_.get();
    QObject::connect(main->History, &THistory::editRequested, editor, [editor](const QString& path) {
        editor->show();
        editor->raise();
        editor->activateWindow();
        RunHandler(editor, [editor, &path] { editor->OpenInEditor(path); });
    });
    // The listen-back window from the end of a take with the source "Voice and accompaniment"
    // (its mix being made, then played), made when a take's mix first starts; a new take
    // silences it.
    TakeController* take = &main->take();
    QObject::connect(take, &TakeController::voiceTakeMixing, main,
                     [this](const QString& output, std::shared_ptr<const voice_mix::MixStream> stream) {
                         listenBack().ShowMixing(output, std::move(stream));
                     });
    QObject::connect(take, &TakeController::voiceMixProgress, main, [this](double fraction) {
        if (listenBack_) listenBack_->MixProgress(fraction);
    });
    QObject::connect(take, &TakeController::voiceTakeMixed, main,
                     [this](const QString& output, const QString& voicePath, const voice_mix::MixSettings& settings) {
                         listenBack().ListenTo(output, voicePath, settings);
                     });
    QObject::connect(take, &TakeController::voiceTakeNotMixed, main, [this] {
        if (listenBack_) listenBack_->MixFailed();
    });
    QObject::connect(take, &TakeController::stateChanged, main, [this](bool running) {
        if (running && listenBack_) listenBack_->StopPlaying();
    });
    QObject::connect(&main->take(), &TakeController::stateChanged, sources->PanelVoiceSource,
                     &TVoiceSourcePanel::SetTakeRunning);
    // The saved skin at the main window's first show; the skin message at any time.
    skinChoice_ = new TSkinChoice(main, *frmCommon_);
    // The menu bar and the toolbar: the dialogs above, the display window, the skins.
    TMainCommands::Windows commanded;
    commanded.main = main;
    commanded.singButton = main->ButtonRecord;
    commanded.settings = [this] { return &frmSetting(); };
    commanded.recordingSource = sources;
    commanded.display = frmDisplay_;
    commanded.showDisplay = [display = frmDisplay_] { display->ShowDisplay(); };
    commanded.clientArea = QSize(TfrmMain::kClientWidth, TfrmMain::kClientHeight);
    commands_ = new TMainCommands(std::move(commanded), *frmCommon_, *skinChoice_);
}

TfrmSetting& ProgramWindows::frmSetting()
{
    if (!frmSetting_) buildSettings();
    return *frmSetting_;
}

TFrmDirectory& ProgramWindows::frmDirectory()
{
    if (!frmSetting_) buildSettings();
    return *frmDirectory_;
}

TfrmListenBack& ProgramWindows::listenBack()
{
    if (!listenBack_) {
        listenBack_ = new TfrmListenBack(frmMain_.get());
        frmMain_->Language().ApplyTo(listenBack_);
    }
    return *listenBack_;
}

void ProgramWindows::buildSettings()
{
    // Built when first wanted, so that the start neither makes nor styles a dialog that
    // is not shown. Its load at creation hands over nothing: the main window has had
    // those values since the start, and may have changed them since (the recording source).
    TfrmMain* main = frmMain_.get();
    auto* setting = new TfrmSetting(frmCommon_->ConfigPath(),
                                    {[this, main](const recorder_settings::WorkingValues& v) {
                                         if (frmSetting_) main->SetWorkingValues(v);
                                     },
                                     [main](int32_t bytes) { main->SetBufferSize(bytes); }},
                                    main);
    setting->SetDefaultFolder([common = frmCommon_.get()] { return QString::fromStdString(common->DefaultOutputFolder()); });
    setting->SetDriverList(main->driverList());
    QObject::connect(main, &TfrmMain::driverListsFilled, setting, &TfrmSetting::SetDriverList);
    QObject::connect(setting, &TfrmSetting::recordingSourcesOutdated, frmStereoMixer_, &TfrmStereoMixer::BuildSourceList);
    frmDirectory_ = new TFrmDirectory(main);
    setting->SetFolderChooser(frmDirectory_);
    main->Language().ApplyTo(setting);
    main->Language().ApplyTo(frmDirectory_);
    frmSetting_ = setting;
}

ProgramWindows::~ProgramWindows()
{
    // The main window releases its components before the shared objects go.
    frmMain_.reset();
}
