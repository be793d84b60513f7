#include "language_keys.h"

#include <array>

namespace language_keys {
namespace {

using T = Target;

constexpr std::array kKeys = {
    Key{"App", "Title", T::ApplicationTitle},

    Key{"frmMain", "Caption", T::WindowCaption},
    Key{"frmMain", "N1"},
    Key{"frmMain", "N1_1"},
    Key{"frmMain", "N2"},
    Key{"frmMain", "N2_1"},
    Key{"frmMain", "N2_2"},
    Key{"frmMain", "N2_3"},
    Key{"frmMain", "N_View"},
    Key{"frmMain", "N_ViewVideo"},
    Key{"frmMain", "N_Skin"},
    Key{"frmMain", "N_Skin1"},
    Key{"frmMain", "N_Skin2"},
    Key{"frmMain", "N_Skin3"},
    Key{"frmMain", "N_Skin4"},
    Key{"frmMain", "N_Skin5"},
    Key{"frmMain", "N_Skin6"},
    Key{"frmMain", "N_Skin7"},
    Key{"frmMain", "N_Skin8"},
    Key{"frmMain", "N_Skin9"},
    Key{"frmMain", "N_Skin10"},
    Key{"frmMain", "N_Skin11"},
    Key{"frmMain", "N_Skin12"},
    Key{"frmMain", "N_Skin13"},
    Key{"frmMain", "N_Skin14"},
    Key{"frmMain", "N_Skin15"},
    Key{"frmMain", "N_Skin16"},
    Key{"frmMain", "N_Skin17"},
    Key{"frmMain", "N_Skin18"},
    Key{"frmMain", "N_Tools"},
    Key{"frmMain", "N_OtherProducts"},
    Key{"frmMain", "N_Product1"},
    Key{"frmMain", "N_Product2"},
    Key{"frmMain", "N_Product3"},
    Key{"frmMain", "N_Product4"},
    Key{"frmMain", "N_Product5"},
    Key{"frmMain", "N_Product6"},
    Key{"frmMain", "N_Product7"},
    Key{"frmMain", "N_Help"},
    Key{"frmMain", "N_LocalHelp"},
    Key{"frmMain", "N_HomePage"},
    Key{"frmMain", "N_Support"},
    Key{"frmMain", "N_FeedBack"},
    Key{"frmMain", "N_Update"},
    Key{"frmMain", "ToolButton1"},
    Key{"frmMain", "ToolButton2"},
    Key{"frmMain", "ToolButton3"},
    Key{"frmMain", "ToolButton4"},
    Key{"frmMain", "ToolButton5"},
    Key{"frmMain", "ToolButton6"},
    Key{"frmMain", "ToolButton7"},
    Key{"frmMain", "ToolButton8"},
    Key{"frmMain", "GroupBoxKaraokeFile"},
    Key{"frmMain", "GroupBoxKaraokeSing"},
    Key{"frmMain", "GroupBoxChooseChannel"},
    Key{"frmMain", "LabelKaraokeFile"},
    Key{"frmMain", "LabelLRCFile"},
    Key{"frmMain", "CheckBoxLeftChannel"},
    Key{"frmMain", "CheckBoxRightChannel"},
    Key{"frmMain", "ButtonSearch"},
    Key{"frmMain", "BitBtnKaraokeFile"},
    Key{"frmMain", "BitBtnLRCFile"},
    Key{"frmMain", "msgMessage1", T::StoredText},
    Key{"frmMain", "msgStereoMixerSetting", T::StoredText},
    Key{"frmMain", "buttonRecord", T::StoredAndCaption, "ButtonRecord"},
    Key{"frmMain", "buttonStop", T::StoredText},
    Key{"frmMain", "popMenuHistoryPlay"},
    Key{"frmMain", "popMenuHistoryEdit"},
    Key{"frmMain", "popMenuHistoryRemove"},
    Key{"frmMain", "popMenuHistoryRemoveLocalFile"},
    Key{"frmMain", "popMenuHistoryClearAll"},
    Key{"frmMain", "TabSheetSongList"},
    Key{"frmMain", "TabSheetHistory"},
    Key{"frmMain", "listViewHistoryItem1", T::ColumnTitle, "ListViewHistory"},

    Key{"frmSetting", "Caption", T::WindowCaption},
    Key{"frmSetting", "LabelDriver"},
    Key{"frmSetting", "LabelWavFrequency"},
    Key{"frmSetting", "LabelWavChannels"},
    Key{"frmSetting", "LabelWavBitsPerSample"},
    Key{"frmSetting", "LabelMP3BitRate"},
    Key{"frmSetting", "LabelBufferSize"},
    Key{"frmSetting", "GroupBoxWav"},
    Key{"frmSetting", "GroupBoxMP3"},
    Key{"frmSetting", "CheckBoxAutoRun"},
    Key{"frmSetting", "CheckBoxAutoConfig"},
    Key{"frmSetting", "LabelOutputFolder"},
    Key{"frmSetting", "ButtonOutputFolder"},
    Key{"frmSetting", "ButtonOK"},
    Key{"frmSetting", "ButtonCancel"},
    Key{"frmSetting", "ButtonDefault"},

    Key{"frmDisplay", "caption", T::WindowCaption},
    Key{"frmDisplay", "PopupMenuPause"},
    Key{"frmDisplay", "PopupMenuStop"},
    Key{"frmDisplay", "PopupMenuFullScreen"},

    Key{"frmStereoMixer", "caption", T::WindowCaption},
    Key{"frmStereoMixer", "LabelDriver"},
    Key{"frmStereoMixer", "groupRecordingSource"},
    Key{"frmStereoMixer", "ButtonVistaAudioMixerChange"},
    Key{"frmStereoMixer", "LabelNotice"},
    Key{"frmStereoMixer", "ButtonOK"},

    Key{"frmAudioEditor", "Caption", T::WindowCaption},
    Key{"frmAudioEditor", "popMenuPlay"},
    Key{"frmAudioEditor", "popMenuStop"},
    Key{"frmAudioEditor", "popMenuSpliter1", T::Separator},
    Key{"frmAudioEditor", "popMenuCut"},
    Key{"frmAudioEditor", "popMenuCopy"},
    Key{"frmAudioEditor", "popMenuPaste"},
    Key{"frmAudioEditor", "popMenuPasteFromFile"},
    Key{"frmAudioEditor", "popMenuDelete"},
    Key{"frmAudioEditor", "popMenuSpliter2", T::Separator},
    Key{"frmAudioEditor", "popMenuSaveSelected"},
    Key{"frmAudioEditor", "popMenuSave"},
    Key{"frmAudioEditor", "LabelNotice"},
    Key{"frmAudioEditor", "LabelQuorra"},
    Key{"frmAudioEditor", "msgSaveNotice", T::StoredText, "saveQuestion"},
    Key{"frmAudioEditor", "msgOverwriteNotice", T::StoredText, "overwriteQuestion"},

    Key{"frmHelpDialog", "title", T::WindowCaption},
    Key{"frmHelpDialog", "labelWelcom"},
    Key{"frmHelpDialog", "labelIntroduction"},
    Key{"frmHelpDialog", "checkBoxDontDisplay"},
    Key{"frmHelpDialog", "ButtonYes"},
    Key{"frmHelpDialog", "ButtonNo"},
};
static_assert(kKeys.size() == 122);

constexpr std::array kAddedKeys = {
    AddedKey{"frmMain", "ToolButton1Hint", "Open the folder of your recordings", "ToolButton1"},
    AddedKey{"frmMain", "ToolButton2Hint", "Find accompaniments on the web", "ToolButton2"},
    AddedKey{"frmMain", "ToolButton3Hint", "Start or stop singing and recording", "ToolButton3"},
    AddedKey{"frmMain", "ToolButton4Hint", "Open the online help", "ToolButton4"},
    AddedKey{"frmMain", "ToolButton5Hint", "Write to technical support", "ToolButton5"},
    AddedKey{"frmMain", "ToolButton6Hint", "Contact us on our web site", "ToolButton6"},
    AddedKey{"frmMain", "ToolButton7Hint", "Visit the official web site", "ToolButton7"},
    AddedKey{"frmMain", "ToolButton8Hint", "Close Chorvane", "ToolButton8"},
    AddedKey{"frmMain", "AdvertTip1", "Tip: tick only Accompaniment to sing over the music without the original voice"},
    AddedKey{"frmMain", "AdvertTip2", "Tip: double-click a recording in the history to hear it"},
    AddedKey{"frmMain", "AdvertTip3", "Tip: pick a lyric file (.lrc) with your song and the words scroll as you sing"},
    AddedKey{"frmSetting", "LabelLanguage", "Language"},
    AddedKey{"frmSetting", "LabelLanguageNotice", "Applies at the next start"},
};

}  // namespace

std::span<const Key> Keys()
{
    return kKeys;
}

std::span<const AddedKey> AddedKeys()
{
    return kAddedKeys;
}

}  // namespace language_keys
