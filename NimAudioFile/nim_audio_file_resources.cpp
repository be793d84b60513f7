#include "nim_audio_file_resources.h"

#include "identity.h"

namespace nim_audio_file {

const char kAppIdScript[] = R"rgs(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'NimAudioFile'
		'NimAudioFile.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)rgs";

const char kClassScript[] = R"rgs(HKCR
{
	NimAudioFile.NimAudioFile.1 = s 'NimAudioFile Class'
	{
		CLSID = s '{BF368F10-B09B-4D74-823A-4C1EA58C05BF}'
	}
	NimAudioFile.NimAudioFile = s 'NimAudioFile Class'
	{
		CLSID = s '{BF368F10-B09B-4D74-823A-4C1EA58C05BF}'
		CurVer = s 'NimAudioFile.NimAudioFile.1'
	}
	NoRemove CLSID
	{
		ForceRemove {BF368F10-B09B-4D74-823A-4C1EA58C05BF} = s 'NimAudioFile Class'
		{
			ProgID = s 'NimAudioFile.NimAudioFile.1'
			VersionIndependentProgID = s 'NimAudioFile.NimAudioFile'
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			ForceRemove 'Control'
			ForceRemove 'ToolboxBitmap32' = s '%MODULE%, 102'
			'MiscStatus' = s '0'
			{
				'1' = s '%OLEMISC%'
			}
			'TypeLib' = s '{F0CD8F8A-09E4-462B-BE42-8185F990BED1}'
			'Version' = s '1.0'
		}
	}
}
)rgs";

const component_shell::ServerRegistration kServerRegistration{kAppIdScript, kClassScript,
                                                              identity::APPID_NimAudioFile, 132497};

// Toolbox bitmap 102, 16 x 16, 16 colours: a page with a folded corner and a sound wave.
const char* const kToolboxRows[] = {
    "7000000000777777",
    "70FFFFFFF0077777",
    "70FFFFFFF0F07777",
    "70FFFFFFF0FF0777",
    "70FFFFFFF0000077",
    "70FFFFFFFFFFF077",
    "70FFFFFFFFFFF077",
    "70FFFCCFFFFFF077",
    "70FFCFFCFFFFF077",
    "70FCFFFFFFFFC077",
    "70FFFFFFCFFCF077",
    "70FFFFFFFCCFF077",
    "70FFFFFFFFFFF077",
    "70FFFFFFFFFFF077",
    "7000000000000077",
    "7777777777777777",
};
static_assert(sizeof kToolboxRows / sizeof kToolboxRows[0] == 16);

const component_shell::ToolboxBitmap kToolboxBitmap{102, 16, 16, kToolboxRows};

}  // namespace nim_audio_file
