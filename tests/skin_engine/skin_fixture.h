#pragma once
// The program's windows on a private program folder, with the shipped skins.

#include "UnitMain.h"
#include "UnitSkin.h"
#include "Unit_common.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "profile.h"
#include "program_windows.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <optional>

class SkinProgramTest : public testing::Test {
protected:
    // No modal box may block a headless run.
    void SetUp() override { message_box::SetSink([](const QString&) {}); }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    // Creates the windows; with `savedSkin` set, config.ini names that skin before the first show.
    void Start(std::optional<int> savedSkin = std::nullopt)
    {
        windows_.reset();
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString());
        // The welcome dialog would take the keyboard from the main window.
        profile::WriteString(windows_->frmCommon().ConfigPath(), "setting", "displayHelpDialog", "0");
        if (savedSkin) profile::WriteString(windows_->frmCommon().ConfigPath(), "skin", "skin", std::to_string(*savedSkin));
        main().show();
        test_support::SpinFor(30);
    }
    TfrmMain& main() { return windows_->frmMain(); }
    TSkinChoice& skins() { return windows_->skinChoice(); }
    [[nodiscard]] QString SkinFileName() { return skins().engine().SkinFile().section('/', -1); }
    [[nodiscard]] int SavedSkin() { return profile::ReadInteger(windows_->frmCommon().ConfigPath(), "skin", "skin", -1); }

    QTemporaryDir folder_;
    ScopedEnv home_{"HOME", folder_.path().toLocal8Bit()};
    std::unique_ptr<ProgramWindows> windows_;
};
