#include "program_windows.h"

#include "UnitDisplay.h"
#include "UnitLyric.h"
#include "UnitMain.h"
#include "Unit_common.h"
#include "mixer_interfaces.h"
#include "recorder_settings.h"

#include <QCoreApplication>

ProgramWindows::ProgramWindows(std::unique_ptr<mixer::IMixerLibraries> mixers, const std::string& programFolder)
    : mixers_(mixers ? std::move(mixers) : mixer::LinkedMixerLibraries())
{
    frmMain_ = std::make_unique<TfrmMain>();
    frmDisplay_ = new TfrmDisplay(frmMain_.get());
    frmLyric_ = std::make_unique<TfrmLyric>();
    if (programFolder.empty()) {
        frmCommon_ = std::make_unique<TfrmCommon>();
    } else {
        const std::string executableFolder = QCoreApplication::applicationDirPath().toStdString();
        frmCommon_ = std::make_unique<TfrmCommon>(programFolder, TfrmCommon::DataFolderFor(executableFolder));
    }
    frmMain_->SetPartners(frmDisplay_, frmLyric_.get(), frmCommon_.get(), mixers_.get());
    // The recorder settings as config.ini holds them become the main window's working values.
    frmMain_->SetWorkingValues(recorder_settings::Load(frmCommon_->ConfigPath()));
}

ProgramWindows::~ProgramWindows()
{
    // The main window releases its components before the shared objects go.
    frmMain_.reset();
}
