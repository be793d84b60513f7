#include "NimAudioRecorderResources.h"

#include "identity.h"

namespace nim_audio_recorder {

const char kAppIdScript[] = R"rgs(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'NimAudioRecorder'
		'NimAudioRecorder.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)rgs";

const char kClassScript[] = R"rgs(HKCR
{
	NimAudioRecorder.NimAudioRecorder.1 = s 'NimAudioRecorder Class'
	{
		CLSID = s '{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}'
	}
	NimAudioRecorder.NimAudioRecorder = s 'NimAudioRecorder Class'
	{
		CLSID = s '{6D8A125C-35B3-4521-A099-D8AD6CAF15D8}'
		CurVer = s 'NimAudioRecorder.NimAudioRecorder.1'
	}
	NoRemove CLSID
	{
		ForceRemove {6D8A125C-35B3-4521-A099-D8AD6CAF15D8} = s 'NimAudioRecorder Class'
		{
			ProgID = s 'NimAudioRecorder.NimAudioRecorder.1'
			VersionIndependentProgID = s 'NimAudioRecorder.NimAudioRecorder'
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			ForceRemove 'Control'
			ForceRemove 'ToolboxBitmap32' = s '%MODULE%, 103'
			'MiscStatus' = s '0'
			{
				'1' = s '%OLEMISC%'
			}
			'TypeLib' = s '{3DCA0766-8468-4DC4-9FD0-BAE7021F5E10}'
			'Version' = s '1.0'
		}
	}
}
)rgs";

const component_shell::ServerRegistration kServerRegistration{kAppIdScript, kClassScript,
                                                              identity::APPID_NimAudioRecorder, 132497};

// Toolbox bitmap 103, 32 x 32, 16 colours: a microphone on its stand beside a red recording dot.
const char* const kToolboxRows[] = {
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF8",
    "F7777777777777777777777777777778",
    "F7777777777777777777777711911778",
    "F7777777777777777777777199999178",
    "F777777777778888888877719F999178",
    "F7777777777880000008877999999978",
    "F777777777780F777770877199999178",
    "F7777777777800000000877199999178",
    "F777777777780F777770877711911778",
    "F7777777777800000000877777777778",
    "F7777777777807777770877777777778",
    "F7777777777800000000877777777778",
    "F7777777777807777770877777777778",
    "F7777777787800000000878777777778",
    "F7777777787807777770878777777778",
    "F7777777787800000000878777777778",
    "F7777777787880000008878777777778",
    "F7777777787788888888778777777778",
    "F7777777787777777777778777777778",
    "F7777777787777777777778777777778",
    "F7777777788777777777788777777778",
    "F7777777788888888888888777777778",
    "F7777777777777780777777777777778",
    "F7777777777777780777777777777778",
    "F7777777777777780777777777777778",
    "F7777777777777780777777777777778",
    "F7777777777777780777777777777778",
    "F7777777778888888888887777777778",
    "F7777777770000000000007777777778",
    "F7777777777777777777777777777778",
    "F7777777777777777777777777777778",
    "F8888888888888888888888888888888",
};
static_assert(sizeof kToolboxRows / sizeof kToolboxRows[0] == 32);

const component_shell::ToolboxBitmap kToolboxBitmap{103, 32, 32, kToolboxRows};

}  // namespace nim_audio_recorder
