// The mixer steps at start and close: the driver lists, the microphone's playback
// line and the stereo-mix recording line of the older mixer.
#include "UnitMain.h"

#include "message_box.h"
#include "mixer_interfaces.h"
#include "name_buffer.h"

void TfrmMain::FillDriverLists()
{
    driverList_.clear();
    if (mixers_ && newerMixer_) {
        driverList_ << QStringLiteral("Default");
    } else if (mixers_) {
        mixer::INimAudioMixerXP& xp = mixers_->XP();
        const int32_t count = xp.GetDriverCount();
        for (int32_t i = 0; i < count; ++i) {
            char16_t name[32] = {};
            xp.GetDriverName(i, name);
            name[31] = 0;
            driverList_ << QString::fromUtf16(name);
        }
    }
    emit driverListsFilled(driverList_);
}

void TfrmMain::PrepareMicrophone()
{
    if (!mixers_ || newerMixer_) return;
    mixer::INimAudioMixerXPPlay& play = mixers_->XPPlay();
    const int32_t line = play.GetWaveOutMicLineNumber(0);
    if (play.GetWaveOutLineVolume(0, line) < 10000) play.SetWaveOutLineVolume(0, line, 30000);
    savedMicrophoneMute_ = static_cast<uint8_t>(play.GetMicrophoneMute(0));
    if (savedMicrophoneMute_ == 1) play.SetMicrophoneMute(0, 0);
}

int32_t TfrmMain::FindSelectedLine(int32_t mixer)
{
    mixer::INimAudioMixerXP& xp = mixers_->XP();
    const int32_t count = xp.GetLineCount(mixer);
    for (int32_t i = 0; i < count; ++i)
        if (xp.GetLineSelected(mixer, i) != 0) return i;
    return -1;
}

void TfrmMain::SelectStereoMix()
{
    if (!mixers_) return;
    if (newerMixer_) {
        emit recordingSourceDialogRequested();
        return;
    }
    const int32_t mixer = values_.mixerIndex;
    savedRecordingLine_ = FindSelectedLine(mixer);
    mixer::INimAudioMixerXP& xp = mixers_->XP();
    const int32_t stereo = xp.GetStereoLineNumber(mixer);
    if (stereo == -1) {
        message_box::Show(this, stereoMixerMessage_);
        emit recordingSourceDialogRequested();
        return;
    }
    xp.SetLineSelected(mixer, stereo);
    if (xp.GetLineVolume(mixer, stereo) < 10000) xp.SetLineVolume(mixer, stereo, 30000);
}

void TfrmMain::RestoreMicrophone()
{
    if (!mixers_ || newerMixer_) return;
    if (savedMicrophoneMute_ == 1) mixers_->XPPlay().SetMicrophoneMute(0, 1);
}

void TfrmMain::RestoreRecordingLine()
{
    if (!mixers_ || newerMixer_) return;
    if (savedRecordingLine_ != -1) mixers_->XP().SetLineSelected(values_.mixerIndex, savedRecordingLine_);
}
