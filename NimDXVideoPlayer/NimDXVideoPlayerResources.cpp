#include "NimDXVideoPlayerResources.h"

#include "identity.h"

namespace nim_dx_video_player {

const char kAppIdScript[] = R"rgs(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'NimDXVideoPlayer'
		'NimDXVideoPlayer.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)rgs";

const char kClassScript[] = R"rgs(HKCR
{
	NimDXVideoPlayer.NimDXVideoPlayer.1 = s 'NimDXVideoPlayer Class'
	{
		CLSID = s '{921B27B4-9EC5-4AF1-9964-CE3A814868FA}'
	}
	NimDXVideoPlayer.NimDXVideoPlayer = s 'NimDXVideoPlayer Class'
	{
		CLSID = s '{921B27B4-9EC5-4AF1-9964-CE3A814868FA}'
		CurVer = s 'NimDXVideoPlayer.NimDXVideoPlayer.1'
	}
	NoRemove CLSID
	{
		ForceRemove {921B27B4-9EC5-4AF1-9964-CE3A814868FA} = s 'NimDXVideoPlayer Class'
		{
			ProgID = s 'NimDXVideoPlayer.NimDXVideoPlayer.1'
			VersionIndependentProgID = s 'NimDXVideoPlayer.NimDXVideoPlayer'
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
			'TypeLib' = s '{5C287C72-B703-4B64-8861-7D4FB0CE6C48}'
			'Version' = s '1.0'
		}
	}
}
)rgs";

const component_shell::ServerRegistration kServerRegistration{kAppIdScript, kClassScript,
                                                              identity::APPID_NimDXVideoPlayer, 132497};

// Toolbox bitmap 102, 16 x 16, 16 colours: a film frame with a play triangle.
const char* const kToolboxRows[] = {
    "7777777777777777",
    "7000000000000007",
    "70FF0FF0FF0FF007",
    "7000000000000007",
    "7044444444444407",
    "704444FFF4444407",
    "704444FFFFF44407",
    "704444FFFFFF4407",
    "704444FFFFFF4407",
    "704444FFFFF44407",
    "704444FFF4444407",
    "7044444444444407",
    "7000000000000007",
    "70FF0FF0FF0FF007",
    "7000000000000007",
    "7777777777777777",
};
static_assert(sizeof kToolboxRows / sizeof kToolboxRows[0] == 16);

const component_shell::ToolboxBitmap kToolboxBitmap{102, 16, 16, kToolboxRows};

}  // namespace nim_dx_video_player
