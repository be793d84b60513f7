// The settings dialog over a temporary config.ini: what it shows, what OK writes and
// hands over, and what Cancel and Default leave alone.
#include "UnitSetting.h"
#include "Unit_common_directory.h"
#include "message_box.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

class SettingsDialog : public testing::Test {
protected:
    void SetUp() override { message_box::SetSink([this](const QString& text) { messages_ << text; }); }
    void TearDown() override { message_box::SetSink(nullptr); }

    std::unique_ptr<TfrmSetting> Make()
    {
        auto dialog = std::make_unique<TfrmSetting>(
            config_.toStdString(),
            TfrmSetting::Handover{[this](const recorder_settings::WorkingValues& v) { values_.push_back(v); },
                                  [this](int32_t bytes) { buffers_.push_back(bytes); }});
        dialog->SetDriverList({"Default"});
        return dialog;
    }
    void WriteConfig(const QByteArray& text)
    {
        QFile f(config_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray ConfigBytes() const
    {
        QFile f(config_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

    QTemporaryDir dir_;
    QString config_ = QDir(dir_.path()).filePath("config.ini");
    ScopedEnv autostart_{"XDG_CONFIG_HOME", QDir(dir_.path()).filePath("xdg").toLocal8Bit()};
    QStringList messages_;
    std::vector<recorder_settings::WorkingValues> values_;
    std::vector<int32_t> buffers_;
};

}  // namespace

TEST_F(SettingsDialog, WithoutConfigItShowsTheDefaultsAndHandsThemOverAtCreation)
{
    const auto dialog = Make();
    EXPECT_EQ(dialog->size(), QSize(245, 335));  // with the language row
    EXPECT_EQ(dialog->ComboBoxWAVFrequency->itemText(0), "8000   hertz");
    EXPECT_EQ(dialog->ComboBoxWAVBitsPerSample->itemText(1), "16 bits per sample ");
    dialog->show();
    EXPECT_EQ(dialog->ComboBoxWAVFrequency->currentText(), "44100 hertz");
    EXPECT_EQ(dialog->ComboBoxWAVChannels->currentText(), "STEREO");
    EXPECT_EQ(dialog->ComboBoxWAVBitsPerSample->currentText(), "16 bits per sample ");
    EXPECT_EQ(dialog->ComboBoxMP3BitRate->currentText(), "128Kbps");
    EXPECT_EQ(dialog->ComboBoxDriver->currentText(), "Default");
    EXPECT_EQ(dialog->EditBufferSize->text(), "16384");
    EXPECT_EQ(dialog->EditOutputFolder->text(), "");
    EXPECT_FALSE(dialog->CheckBoxAutoRun->isChecked());
    EXPECT_TRUE(dialog->CheckBoxAutoConfig->isChecked());
    ASSERT_GE(values_.size(), 1u);
    EXPECT_EQ(values_[0].samplesPerSec, 44100);
    EXPECT_EQ(values_[0].mp3BitRate, 128);
    EXPECT_TRUE(buffers_.empty());  // the buffer size only on OK
    // Digits only, from the first show on.
    ASSERT_NE(dialog->EditBufferSize->validator(), nullptr);
    QString typed = "12a";
    int at = 0;
    EXPECT_EQ(dialog->EditBufferSize->validator()->validate(typed, at), QValidator::Invalid);
}

TEST_F(SettingsDialog, BadBufferSizesAreRefusedAndNothingIsWritten)
{
    const auto dialog = Make();
    dialog->show();
    dialog->EditBufferSize->setText("");
    dialog->ButtonOK->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "'' is not a valid integer value");
    dialog->EditBufferSize->setText("512");
    dialog->ButtonOK->click();
    ASSERT_EQ(messages_.size(), 2);
    EXPECT_TRUE(messages_[1].contains("1024")) << messages_[1].toStdString();
    EXPECT_FALSE(QFile::exists(config_));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(buffers_.empty());
}

TEST_F(SettingsDialog, AStoredIndexOutsideItsListShowsNoSelectionAndOkWritesMinusOne)
{
    WriteConfig("[wav]\nfrequency=11\n");
    const auto dialog = Make();
    dialog->show();
    EXPECT_EQ(dialog->ComboBoxWAVFrequency->currentIndex(), -1);
    std::vector<int32_t> rebuilt;
    QObject::connect(dialog.get(), &TfrmSetting::recordingSourcesOutdated, [&](int32_t mixer) { rebuilt.push_back(mixer); });
    dialog->ComboBoxMP3BitRate->setCurrentIndex(13);
    dialog->EditBufferSize->setText("8192");
    dialog->CheckBoxAutoRun->setChecked(true);
    dialog->ButtonOK->click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    EXPECT_FALSE(dialog->isVisible());
    const QByteArray text = ConfigBytes();
    EXPECT_TRUE(text.startsWith("[wav]\nfrequency=-1\n")) << text.constData();
    EXPECT_TRUE(text.contains("bitrate=13"));
    EXPECT_EQ(buffers_, std::vector<int32_t>{8192});
    EXPECT_EQ(values_.back().mp3BitRate, 320);
    EXPECT_EQ(values_.back().samplesPerSec, 44100);  // no selection: the table's default
    EXPECT_TRUE(QFile::exists(dir_.path() + "/xdg/autostart/Tapewell.desktop"));
    EXPECT_EQ(rebuilt, std::vector<int32_t>{0});  // the source list follows the driver

    dialog->show();
    dialog->CheckBoxAutoRun->setChecked(false);
    dialog->ButtonOK->click();
    EXPECT_FALSE(QFile::exists(dir_.path() + "/xdg/autostart/Tapewell.desktop"));
}

TEST_F(SettingsDialog, DefaultThenCancelChangesNothingAndTheNextShowReloads)
{
    WriteConfig("; keep\n[recorder_setting]\nbuffer_size=4096\nfolder=/takes\n[mp3]\nbitrate=2\n");
    const QByteArray before = ConfigBytes();
    const auto dialog = Make();
    dialog->show();
    const size_t handed = values_.size();
    dialog->ButtonDefault->click();
    EXPECT_EQ(dialog->EditBufferSize->text(), "16384");
    EXPECT_EQ(dialog->EditOutputFolder->text(), "");
    EXPECT_EQ(dialog->ComboBoxMP3BitRate->currentText(), "128Kbps");
    dialog->ButtonCancel->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ConfigBytes(), before);
    EXPECT_EQ(values_.size(), handed);
    EXPECT_TRUE(buffers_.empty());
    dialog->show();
    EXPECT_EQ(dialog->EditBufferSize->text(), "4096");
    EXPECT_EQ(dialog->EditOutputFolder->text(), "/takes");
    EXPECT_EQ(dialog->ComboBoxMP3BitRate->currentText(), "48Kbps");
}

TEST_F(SettingsDialog, AReadOnlyConfigIsReportedWithItsPathAndTheDialogStaysOpen)
{
    WriteConfig("[skin]\nskin=3\n");
    QFile::setPermissions(config_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = ConfigBytes();
    const auto dialog = Make();
    dialog->show();
    dialog->CheckBoxAutoRun->setChecked(true);
    dialog->ButtonOK->click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "Unable to write to " + config_);
    EXPECT_EQ(ConfigBytes(), before);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(buffers_.empty());
    EXPECT_FALSE(QFile::exists(dir_.path() + "/xdg/autostart/Tapewell.desktop"));  // the save stopped
}

TEST_F(SettingsDialog, TheFolderChooserFillsTheOutputFolderOnlyOnOk)
{
    const auto dialog = Make();
    TFrmDirectory chooser;
    dialog->SetFolderChooser(&chooser);
    dialog->show();
    dialog->EditOutputFolder->setText("/typed");
    QTimer::singleShot(0, &chooser, [&] { chooser.ButtonCancel->click(); });
    dialog->ButtonOutputFolder->click();
    EXPECT_EQ(dialog->EditOutputFolder->text(), "/typed");

    ASSERT_TRUE(chooser.SelectFolder(dir_.path()));
    QTimer::singleShot(0, &chooser, [&] { chooser.ButtonOK->click(); });
    dialog->ButtonOutputFolder->click();
    EXPECT_EQ(dialog->EditOutputFolder->text(), dir_.path());
}
