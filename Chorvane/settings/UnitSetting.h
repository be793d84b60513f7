#pragma once
// TfrmSetting: the recorder settings dialog. Loads config.ini at creation and at every
// show, saves on OK, and hands the working values to whoever created it.

#include "recorder_values.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFrmDirectory;

class TfrmSetting : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 245;
    static constexpr int kClientHeight = 335;  // 289, and a row for the language list

    // Where the values go: all but the buffer size at every load and save, the buffer
    // size only on a save.
    struct Handover {
        std::function<void(const recorder_settings::WorkingValues&)> values;
        std::function<void(int32_t)> bufferSize;
    };

    // Runs LoadSettings, so the receiver has its working values before it is shown.
    TfrmSetting(std::string configPath, Handover handover, QWidget* parent = nullptr);

    // The chooser that Set... shows (not owned).
    void SetFolderChooser(TFrmDirectory* chooser) { chooser_ = chooser; }
    // Where recordings go while the output folder box is empty; shown greyed in the box.
    void SetDefaultFolder(std::function<QString()> folder) { defaultFolder_ = std::move(folder); }
    // The driver list, filled at the main window's first show.
    void SetDriverList(const QStringList& drivers);

    void LoadSettings();
    // Raises ProgramError (conversion, buffer range) before writing anything, and
    // profile::WriteError at the first key that cannot be written.
    void SaveSettings();
    void ResetSettings();
    void SetAutoRun(bool on);

    void ButtonOKClick();
    void ButtonCancelClick();
    void ButtonDefaultClick();
    void ButtonOutputFolderClick();
    void FormShow();

    QLabel* LabelDriver = nullptr;
    QComboBox* ComboBoxDriver = nullptr;
    QGroupBox* GroupBoxWav = nullptr;
    QLabel* LabelWAVFrequency = nullptr;
    QComboBox* ComboBoxWAVFrequency = nullptr;
    QLabel* LabelWavChannels = nullptr;
    QComboBox* ComboBoxWAVChannels = nullptr;
    QLabel* LabelWAVBitsPerSample = nullptr;
    QComboBox* ComboBoxWAVBitsPerSample = nullptr;
    QGroupBox* GroupBoxMP3 = nullptr;
    QLabel* LabelMP3BitRate = nullptr;
    QComboBox* ComboBoxMP3BitRate = nullptr;
    QLabel* LabelBufferSize = nullptr;
    QLineEdit* EditBufferSize = nullptr;
    QLabel* LabelOutputFolder = nullptr;
    QLineEdit* EditOutputFolder = nullptr;
    QPushButton* ButtonOutputFolder = nullptr;
    QCheckBox* CheckBoxAutoConfig = nullptr;
    QCheckBox* CheckBoxAutoRun = nullptr;
    // The language of the program's texts (English, 中文): key `language` of section
    // `common`, written on OK when changed; it applies at the next start, as the notice says.
    QLabel* LabelLanguage = nullptr;
    QComboBox* ComboBoxLanguage = nullptr;
    QLabel* LabelLanguageNotice = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonDefault = nullptr;

signals:
    // OK saved new settings: the recording source list is to be built again.
    void recordingSourcesOutdated(int32_t mixerIndex);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // The notice shows while the chosen language is not the one running.
    void UpdateLanguageNotice();
    [[nodiscard]] recorder_settings::StoredSettings fromControls() const;

    std::string configPath_;
    Handover handover_;
    TFrmDirectory* chooser_ = nullptr;
    std::function<QString()> defaultFolder_;
    int32_t storedLanguage_ = 2;   // as last loaded, 1 or 2
    int32_t runningLanguage_ = 2;  // as loaded at creation: the language of this run
};
