// The recording source dialog's entry "Voice and accompaniment" over mixers without I/O:
// listed first, its choices written to config.ini as the take reads them, the other
// sources chosen as before; the older path has no such entry.
#include "UnitStereoMixer.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "profile.h"
#include "source_choice.h"
#include "voice_mix_settings.h"
#include "voice_source_panel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

class VoiceSourceDialog : public testing::Test {
protected:
    void SetUp() override { message_box::SetSink([this](const QString& text) { messages_ << text; }); }
    void TearDown() override
    {
        dialog_.reset();
        message_box::SetSink(nullptr);
    }
    TfrmStereoMixer& Dialog(bool newer)
    {
        mixers_.newer = newer;
        mixers_.state.endpoints = {{"Built-in Microphone", true, 40, "alsa_input.pci"},
                                   {"Monitor of Built-in Audio", false, 100, "alsa_output.pci.monitor"},
                                   {"USB Headset", false, 60, "alsa_input.usb"}};
        mixers_.state.cards = {mixer::FakeCard{}};
        dialog_ = std::make_unique<TfrmStereoMixer>(config_, &mixers_,
                                                    TfrmStereoMixer::Partners{[] { return 0; }, [](int32_t) {}, nullptr});
        dialog_->BuildSourceList();
        return *dialog_;
    }
    [[nodiscard]] std::string Key(const char* key) const
    {
        return profile::ReadString(config_, "recorder_setting", key, "<none>");
    }

    QTemporaryDir dir_;
    std::string config_ = dir_.filePath("config.ini").toStdString();
    mixer::FakeMixerLibraries mixers_;
    std::unique_ptr<TfrmStereoMixer> dialog_;
    QStringList messages_;
};

}  // namespace

TEST_F(VoiceSourceDialog, ComesFirstAndItsChoicesAreWhatTheTakeReads)
{
    TfrmStereoMixer& d = Dialog(true);
    TVoiceSourcePanel& panel = *d.PanelVoiceSource;
    ASSERT_TRUE(d.RadioButtonVoiceMix->isVisibleTo(&d));
    ASSERT_EQ(d.sourceButtons().size(), 3);
    EXPECT_LT(d.RadioButtonVoiceMix->y(), d.sourceButtons()[0]->y());
    EXPECT_LT(panel.geometry().bottom(), d.sourceButtons()[0]->y());
    EXPECT_FALSE(d.RadioButtonVoiceMix->isChecked());
    EXPECT_TRUE(d.sourceButtons()[0]->isChecked());
    EXPECT_FALSE(panel.ButtonMeasureLatency->isEnabled()) << "measuring is for the voice source";
    EXPECT_FALSE(panel.CheckBoxHearVoice->isEnabled());
    // The microphones: the default first, no monitor.
    QStringList microphones;
    for (int i = 0; i < panel.ComboBoxVoiceSource->count(); ++i) microphones << panel.ComboBoxVoiceSource->itemText(i);
    EXPECT_EQ(microphones, (QStringList{"The default microphone", "Built-in Microphone", "USB Headset"}));

    d.RadioButtonVoiceMix->click();
    EXPECT_TRUE(voice_mix::ReadVoiceChoice(config_).enabled);
    EXPECT_FALSE(d.sourceButtons()[0]->isChecked());
    EXPECT_TRUE(panel.ButtonMeasureLatency->isEnabled());
    panel.ComboBoxVoiceSource->setCurrentIndex(2);
    emit panel.ComboBoxVoiceSource->activated(2);
    panel.CheckBoxHearVoice->click();
    voice_mix::VoiceChoice choice = voice_mix::ReadVoiceChoice(config_);
    EXPECT_EQ(choice.source, "alsa_input.usb");
    EXPECT_TRUE(choice.hearVoice);
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "") << "the endpoints' choice is left as it was";

    // Built again (a server event, the next start): the same entry and microphone.
    d.BuildSourceList();
    EXPECT_TRUE(d.RadioButtonVoiceMix->isChecked());
    EXPECT_TRUE(std::none_of(d.sourceButtons().begin(), d.sourceButtons().end(), [](auto* b) { return b->isChecked(); }));
    EXPECT_EQ(panel.ComboBoxVoiceSource->currentText(), "USB Headset");
    EXPECT_TRUE(panel.CheckBoxHearVoice->isChecked());

    // Another source: the voice source is left, its microphone kept for a return.
    d.sourceButtons()[1]->click();
    choice = voice_mix::ReadVoiceChoice(config_);
    EXPECT_FALSE(choice.enabled);
    EXPECT_EQ(choice.source, "alsa_input.usb");
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "alsa_output.pci.monitor");
    EXPECT_FALSE(panel.ButtonMeasureLatency->isEnabled());
    d.BuildSourceList();
    EXPECT_FALSE(d.RadioButtonVoiceMix->isChecked());
    EXPECT_TRUE(d.sourceButtons()[1]->isChecked());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(VoiceSourceDialog, OtherSourcesWriteNothingOfItAndTheOlderPathHasNone)
{
    TfrmStereoMixer& d = Dialog(true);
    d.sourceButtons()[1]->click();
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "alsa_output.pci.monitor");
    EXPECT_EQ(Key("voice_mix"), "<none>");
    EXPECT_EQ(Key("voice_source"), "<none>");
    EXPECT_EQ(Key("hear_voice"), "<none>");

    // A microphone chosen earlier that is not plugged in now stays the choice, listed by name.
    voice_mix::WriteVoiceChoice(config_, {true, "alsa_input.gone", false});
    d.BuildSourceList();
    EXPECT_EQ(d.PanelVoiceSource->ComboBoxVoiceSource->currentText(), "alsa_input.gone");

    TfrmStereoMixer& older = Dialog(false);
    EXPECT_FALSE(older.RadioButtonVoiceMix->isVisibleTo(&older));
    EXPECT_FALSE(older.PanelVoiceSource->isVisibleTo(&older));
}
