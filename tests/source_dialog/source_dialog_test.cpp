// The recording source dialog against mixers without I/O: the older path's two-column
// list and its growing frame, the sliders' ends, the driver change and its config.ini
// write; the newer path's real choice of source, its fallback, and following events.
#include "UnitStereoMixer.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "profile.h"
#include "source_choice.h"
#include "event_loop.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>

namespace {

mixer::FakeCard CardWithLines(const std::string& name, int lines)
{
    mixer::FakeCard card;
    card.name = name;
    for (int i = 0; i < lines; ++i) card.lines.push_back({"Line " + std::to_string(i), i != 3, i == 1, 1000 * i});
    card.captureDevice = "plughw:" + std::to_string(7);
    return card;
}

class SourceDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        message_box::SetSink([this](const QString& text) {
            messages_ << text;
            buttonsAtMessage_ = dialog_ ? dialog_->sourceButtons().size() : -1;
        });
    }
    void TearDown() override
    {
        dialog_.reset();
        message_box::SetSink(nullptr);
    }
    TfrmStereoMixer& Dialog(bool newer)
    {
        mixers_.newer = newer;
        dialog_ = std::make_unique<TfrmStereoMixer>(config_, &mixers_,
                                                    TfrmStereoMixer::Partners{[this] { return mixer_; },
                                                                              [this](int32_t i) { mixer_ = i; }, nullptr});
        return *dialog_;
    }

    QTemporaryDir dir_;
    std::string config_ = dir_.filePath("config.ini").toStdString();
    mixer::FakeMixerLibraries mixers_;
    int32_t mixer_ = 0;
    std::unique_ptr<TfrmStereoMixer> dialog_;
    QStringList messages_;
    qsizetype buttonsAtMessage_ = -1;
};

TEST_F(SourceDialogTest, OlderPathPlacesLinesInTwoColumnsAndGrowsTheFrameOnlyForRowsBelowIt)
{
    mixers_.state.cards = {CardWithLines("Card A", 5), CardWithLines("Card B", 9), CardWithLines("Card C", 1)};
    TfrmStereoMixer& d = Dialog(false);
    const QSize start = d.size();
    const QRect frame = d.groupRecordingSource->geometry();
    d.BuildSourceList();
    ASSERT_EQ(d.sourceButtons().size(), 5);
    for (int i = 0; i < 5; ++i) {
        const QRadioButton* b = d.sourceButtons()[i];
        EXPECT_EQ(b->x(), i % 2 == 0 ? frame.left() + 15 : frame.left() + frame.width() / 2) << i;
        EXPECT_EQ(b->y(), frame.top() + 20 + (i / 2) * 25) << i;
        EXPECT_EQ(d.volumeSliders()[i]->geometry(), QRect(b->x() + 85, b->y() + 3, 73, 17));
        EXPECT_EQ(d.volumeSliders()[i]->maximum(), TfrmStereoMixer::kOlderSliderMax);
        EXPECT_EQ(d.volumeSliders()[i]->value(), 1000 * i);
        EXPECT_EQ(b->isEnabled(), i != 3);
    }
    EXPECT_TRUE(d.sourceButtons()[1]->isChecked());
    EXPECT_FALSE(d.ButtonVistaAudioMixerChange->isVisibleTo(&d));
    // The third row ends above the frame's bottom: nothing grows.
    EXPECT_EQ(d.size(), start);
    EXPECT_EQ(d.groupRecordingSource->geometry(), frame);
    EXPECT_TRUE(mixers_.state.calls.empty()) << "building called a setter";

    // Nine lines: the fifth row ends 16 pixels below the frame, which grows by 26.
    mixer_ = 1;
    const int noticeTop = d.LabelNotice->y();
    d.BuildSourceList();
    ASSERT_EQ(d.sourceButtons().size(), 9);
    EXPECT_EQ(d.groupRecordingSource->height(), frame.height() + 26);
    EXPECT_EQ(d.LabelNotice->y(), noticeTop + 26);
    EXPECT_EQ(d.height(), start.height() + 26);
    EXPECT_EQ(d.ButtonOK->y() + (start.height() - 242), d.height());
    // Fewer lines later keep the larger frame.
    mixer_ = 2;
    d.BuildSourceList();
    EXPECT_EQ(d.sourceButtons().size(), 1);
    EXPECT_EQ(d.height(), start.height() + 26);
}

TEST_F(SourceDialogTest, OlderPathSlidersEndAtTheScaleAndButtonsSelectTheirLine)
{
    mixers_.state.cards = {CardWithLines("Card A", 3)};
    TfrmStereoMixer& d = Dialog(false);
    d.BuildSourceList();
    d.volumeSliders()[2]->setValue(d.volumeSliders()[2]->maximum());
    d.volumeSliders()[0]->setValue(40000);
    d.sourceButtons()[2]->click();
    EXPECT_EQ(mixers_.state.calls,
              (std::vector<std::string>{"SetLineVolume(0,2,65535)", "SetLineVolume(0,0,40000)", "SetLineSelected(0,2)"}));
    EXPECT_TRUE(mixers_.state.cards[0].lines[2].selected);
    // Without a sound server a take records from the card's ALSA device.
    EXPECT_EQ(d.SourceForTake(), "alsa:plughw:7");
}

TEST_F(SourceDialogTest, AMixerWithoutLinesShowsAnEmptyFrameOfTheSameSize)
{
    mixers_.state.cards = {CardWithLines("Empty", 0)};
    TfrmStereoMixer& d = Dialog(false);
    const QSize start = d.size();
    d.BuildSourceList();
    EXPECT_EQ(d.sourceCount(), 0);
    EXPECT_TRUE(d.sourceButtons().isEmpty());
    EXPECT_EQ(d.size(), start);
}

TEST_F(SourceDialogTest, ADriverChangeRebuildsThenWritesTheDriverAndShowsAWriteErrorAfterTheRebuild)
{
    mixers_.state.cards = {CardWithLines("Card A", 2), CardWithLines("Card B", 4)};
    TfrmStereoMixer& d = Dialog(false);
    d.SetDriverList({"Card A", "Card B"});
    d.BuildSourceList();
    d.ComboBoxDriverChange(1);
    EXPECT_EQ(mixer_, 1);
    EXPECT_EQ(d.sourceButtons().size(), 4);
    EXPECT_EQ(profile::ReadInteger(config_, "recorder_setting", "driver", -1), 1);
    EXPECT_TRUE(messages_.isEmpty());
    // The next show selects the stored driver.
    d.ComboBoxDriver->setCurrentIndex(0);
    d.FormShow();
    EXPECT_EQ(d.ComboBoxDriver->currentIndex(), 1);

    // An unwritable config.ini: the list is already rebuilt when the error shows.
    QFile::setPermissions(QString::fromStdString(config_), QFileDevice::ReadOwner);
    d.ComboBoxDriverChange(0);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], QString("Unable to write to %1").arg(QString::fromStdString(config_)));
    EXPECT_EQ(buttonsAtMessage_, 2);
    EXPECT_EQ(mixer_, 0);
}

TEST_F(SourceDialogTest, NewerPathChoosesTheProgramsSourceAndFallsBackWhenItIsGone)
{
    mixers_.state.endpoints = {{"Built-in Audio Analog Stereo", true, 40, "alsa_input.pci"},
                               {"Monitor of Built-in Audio Analog Stereo", false, 100, "alsa_output.pci.monitor"}};
    TfrmStereoMixer& d = Dialog(true);
    QSignalSpy status(&d, &TfrmStereoMixer::statusMessage);
    d.BuildSourceList();
    ASSERT_EQ(d.sourceButtons().size(), 2);
    EXPECT_TRUE(d.ButtonVistaAudioMixerChange->isVisibleTo(&d));
    EXPECT_TRUE(d.sourceButtons()[0]->isChecked());  // nothing chosen: the default
    EXPECT_TRUE(d.sourceButtons()[1]->isEnabled());
    EXPECT_EQ(d.volumeSliders()[1]->maximum(), 100);
    EXPECT_EQ(d.volumeLabels()[0]->text(), "40 %");
    EXPECT_EQ(d.sourceNames()[1], "Monitor of Built-in Audio Analog Stereo");
    // One row per source, in source order, the rows inside the frame.
    EXPECT_LT(d.sourceButtons()[0]->y(), d.sourceButtons()[1]->y());
    EXPECT_EQ(d.sourceButtons()[0]->x(), d.sourceButtons()[1]->x());

    d.sourceButtons()[1]->click();
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "alsa_output.pci.monitor");
    EXPECT_EQ(d.SourceForTake(), "alsa_output.pci.monitor");
    d.volumeSliders()[1]->setValue(55);
    EXPECT_EQ(d.volumeLabels()[1]->text(), "55 %");
    // The desktop's default is left alone: no call but the volume.
    EXPECT_EQ(mixers_.state.calls, (std::vector<std::string>{"SetEndPointVolume(1,55)"}));
    // Choosing the default source again follows the desktop's default.
    d.sourceButtons()[0]->click();
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "");
    EXPECT_EQ(d.SourceForTake(), "");

    // A chosen source that went away: the default is checked and the status bar says so.
    source_choice::WriteChosenSource(config_, "usb_headset");
    d.BuildSourceList();
    EXPECT_TRUE(d.sourceButtons()[0]->isChecked());
    EXPECT_EQ(d.SourceForTake(), "");
    ASSERT_EQ(status.size(), 2);
    EXPECT_TRUE(status[1][0].toString().contains("usb_headset"));
    EXPECT_EQ(source_choice::ReadChosenSource(config_), "usb_headset") << "kept for when it comes back";
}

TEST_F(SourceDialogTest, NewerPathFollowsTheServersSourceEvents)
{
    mixers_.state.endpoints = {{"Mic", true, 40, "mic"}};
    TfrmStereoMixer& d = Dialog(true);
    d.BuildSourceList();
    EXPECT_EQ(mixers_.watchCount(), 1u);
    mixers_.state.endpoints.push_back({"Monitor of Headphones", false, 70, "phones.monitor"});
    mixers_.NotifySources(mixer::SourceEvent::ListChanged);
    EXPECT_TRUE(test_support::SpinUntil([&] { return d.sourceButtons().size() == 2; }, 5000));
    mixers_.state.endpoints[0].volume = 12;
    mixers_.NotifySources(mixer::SourceEvent::VolumeChanged);
    EXPECT_TRUE(test_support::SpinUntil([&] { return d.volumeSliders()[0]->value() == 12; }, 5000));
    EXPECT_TRUE(mixers_.state.calls.empty()) << "following the server set a volume";
    dialog_.reset();
    EXPECT_EQ(mixers_.watchCount(), 0u);
}

TEST(SourceChoice, SoundSettingsPreferPavucontrolsInputPage)
{
    const auto only = [](QStringList present) {
        return [present](const QString& name) { return present.contains(name) ? "/usr/bin/" + name : QString(); };
    };
    EXPECT_EQ(source_choice::SoundSettingsCommand(only({"gnome-control-center", "pavucontrol"})),
              (QStringList{"/usr/bin/pavucontrol", "--tab=4"}));
    EXPECT_EQ(source_choice::SoundSettingsCommand(only({"gnome-control-center"})),
              (QStringList{"/usr/bin/gnome-control-center", "sound"}));
    EXPECT_TRUE(source_choice::SoundSettingsCommand(only({})).isEmpty());
}

}  // namespace
