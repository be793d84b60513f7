#pragma once
// The program's windows and shared objects, created in their fixed order and living
// until the program ends: the main window, the display window, the lyric holder,
// the shared services, the welcome dialog and the mixer libraries; the settings dialog,
// its folder chooser and the listen-back window when they are first wanted.

#include "mixer_interfaces.h"

#include <memory>
#include <string>

class TfrmMain;
class TfrmDisplay;
class TfrmLyric;
class TfrmCommon;
class TfrmSetting;
class TfrmHelpDialog;
class TFrmDirectory;
class TfrmStereoMixer;
class TfrmAudioEditor;
class TfrmListenBack;
class TSkinChoice;
class TMainCommands;

class ProgramWindows {
public:
    // `mixers` replaces the linked mixer libraries (tests pass fakes); nullptr uses
    // the real ones. A non-empty `programFolder` replaces the one the program finds
    // for itself (tests give each run its own config.ini and output folder), and a
    // non-empty `dataFolder` the folder "language/" and "skins/" are read from.
    explicit ProgramWindows(std::unique_ptr<mixer::IMixerLibraries> mixers = nullptr,
                            const std::string& programFolder = {}, const std::string& dataFolder = {});
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    TfrmMain& frmMain() { return *frmMain_; }
    TfrmDisplay& frmDisplay() { return *frmDisplay_; }
    TfrmLyric& frmLyric() { return *frmLyric_; }
    TfrmCommon& frmCommon() { return *frmCommon_; }
    // The settings dialog and its folder chooser, made at the first call of either.
    TfrmSetting& frmSetting();
    TfrmHelpDialog& frmHelpDialog() { return *frmHelpDialog_; }
    TFrmDirectory& frmDirectory();
    TfrmStereoMixer& frmStereoMixer() { return *frmStereoMixer_; }
    TfrmAudioEditor& frmAudioEditor() { return *frmAudioEditor_; }
    TSkinChoice& skinChoice() { return *skinChoice_; }
    TMainCommands& commands() { return *commands_; }

private:
    void buildSettings();
    // The listen-back window, made when a take's mix first starts.
    TfrmListenBack& listenBack();

    std::unique_ptr<mixer::IMixerLibraries> mixers_;
    std::unique_ptr<TfrmMain> frmMain_;
    TfrmDisplay* frmDisplay_;  // child window of the main window
    std::unique_ptr<TfrmLyric> frmLyric_;
    std::unique_ptr<TfrmCommon> frmCommon_;
    TfrmSetting* frmSetting_ = nullptr;      // child window of the main window, once made
    TfrmHelpDialog* frmHelpDialog_;  // child window of the main window
    TFrmDirectory* frmDirectory_ = nullptr;  // child window of the main window, made with the settings
    TfrmStereoMixer* frmStereoMixer_;  // child window of the main window
    std::unique_ptr<TfrmAudioEditor> frmAudioEditor_;  // a window of its own
    TfrmListenBack* listenBack_ = nullptr;  // child window of the main window, once made
    TSkinChoice* skinChoice_;  // child of the main window
    TMainCommands* commands_;  // child of the main window
};
