#include "NimVisualizationResources.h"

#include "identity.h"

namespace nim_visualization {

const char kAppIdScript[] = R"rgs(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'NimVisualization'
		'NimVisualization.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)rgs";

const char kClassScript[] = R"rgs(HKCR
{
	NimVisualization.NimVisualization.1 = s 'NimVisualization Class'
	{
		CLSID = s '{C7B8F023-8D92-4CDC-B920-87B19BFF2B48}'
	}
	NimVisualization.NimVisualization = s 'NimVisualization Class'
	{
		CLSID = s '{C7B8F023-8D92-4CDC-B920-87B19BFF2B48}'
		CurVer = s 'NimVisualization.NimVisualization.1'
	}
	NoRemove CLSID
	{
		ForceRemove {C7B8F023-8D92-4CDC-B920-87B19BFF2B48} = s 'NimVisualization Class'
		{
			ProgID = s 'NimVisualization.NimVisualization.1'
			VersionIndependentProgID = s 'NimVisualization.NimVisualization'
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
			'TypeLib' = s '{2B5C223D-3EAC-4662-A164-B8A54E64BF50}'
			'Version' = s '1.0'
		}
	}
}
)rgs";

const component_shell::ServerRegistration kServerRegistration{kAppIdScript, kClassScript,
                                                              identity::APPID_NimVisualization, 131473};

// Toolbox bitmap 102, 32 x 32, 16 colours: a black panel with columns of ticks in the green, yellow and red zones and their held peaks.
const char* const kToolboxRows[] = {
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF8",
    "F7777777777777777777777777777778",
    "F7888888888888888888888888888F78",
    "F7800000000000000000000000000F78",
    "F7800000000000000000000000000F78",
    "F780FFF0999000000000000000000F78",
    "F7800000000000000000000000000F78",
    "F78000009990FFF00000000000000F78",
    "F7800000000000000000000000000F78",
    "F7809990999000000000000000000F78",
    "F7800000000000000000000000000F78",
    "F780BBB0BBB0BBB0FFF0000000000F78",
    "F7800000000000000000000000000F78",
    "F780BBB0BBB0BBB00000000000000F78",
    "F7800000000000000000000000000F78",
    "F780BBB0BBB0BBB0BBB0FFF000000F78",
    "F7800000000000000000000000000F78",
    "F780BBB0BBB0BBB0BBB0000000000F78",
    "F7800000000000000000000000000F78",
    "F780AAA0AAA0AAA0AAA0AAA0FFF00F78",
    "F7800000000000000000000000000F78",
    "F780AAA0AAA0AAA0AAA0AAA000000F78",
    "F7800000000000000000000000000F78",
    "F780AAA0AAA0AAA0AAA0AAA0AAA00F78",
    "F7800000000000000000000000000F78",
    "F780AAA0AAA0AAA0AAA0AAA0AAA00F78",
    "F7800000000000000000000000000F78",
    "F780AAA0AAA0AAA0AAA0AAA0AAA00F78",
    "F7800000000000000000000000000F78",
    "F78FFFFFFFFFFFFFFFFFFFFFFFFFFF78",
    "F7777777777777777777777777777778",
    "F8888888888888888888888888888888",
};
static_assert(sizeof kToolboxRows / sizeof kToolboxRows[0] == 32);

const component_shell::ToolboxBitmap kToolboxBitmap{102, 32, 32, kToolboxRows};

}  // namespace nim_visualization
