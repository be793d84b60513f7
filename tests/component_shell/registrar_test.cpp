// The registrar's script language: keys, values and named values, the replacements,
// and what NoRemove, ForceRemove and Delete do when registering and unregistering.
#include "registrar.h"

#include <gtest/gtest.h>

using component_shell::Replacements;
using component_shell::RunRegistrationScript;
using registry::Key;

namespace {

const Replacements kReplacements{{"MODULE", "/lib/libX.so"}, {"APPID", "{A}"}, {"OLEMISC", "132497"}};

constexpr const char* kScript = R"(HKCR
{
	X.X.1 = s 'X Class'
	{
		CLSID = s '{C}'
	}
	NoRemove CLSID
	{
		ForceRemove {C} = s 'X Class'
		{
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			ForceRemove 'Programmable'
			'MiscStatus' = s '0'
			{
				'1' = s '%OLEMISC%'
			}
			'It''s' = s '100%%'
		}
	}
}
)";

}  // namespace

TEST(Registrar, RegisteringWritesKeysValuesAndReplacements)
{
    Key root;
    ASSERT_EQ(RunRegistrationScript(kScript, kReplacements, true, root), S_OK);
    EXPECT_EQ(*root.Find("X.X.1")->defaultValue(), "X Class");
    EXPECT_EQ(*root.Find("X.X.1\\CLSID")->defaultValue(), "{C}");
    const Key* clsid = root.Find("CLSID\\{C}");
    ASSERT_NE(clsid, nullptr);
    EXPECT_EQ(*clsid->Value("AppID"), "{A}");
    EXPECT_EQ(*root.Find("CLSID\\{C}\\InprocServer32")->defaultValue(), "/lib/libX.so");
    EXPECT_EQ(*root.Find("CLSID\\{C}\\InprocServer32")->Value("ThreadingModel"), "Apartment");
    const Key* programmable = root.Find("CLSID\\{C}\\Programmable");
    ASSERT_NE(programmable, nullptr);
    EXPECT_FALSE(programmable->defaultValue());
    EXPECT_EQ(*root.Find("CLSID\\{C}\\MiscStatus")->defaultValue(), "0");
    EXPECT_EQ(*root.Find("CLSID\\{C}\\MiscStatus\\1")->defaultValue(), "132497");
    EXPECT_EQ(*root.Find("CLSID\\{C}\\It's")->defaultValue(), "100%");
}

TEST(Registrar, ForceRemoveReplacesTheWholeKeyAndRegisteringTwiceChangesNothing)
{
    Key root;
    root.Create("CLSID\\{C}\\Stale");
    root.Create("CLSID\\{Other}").SetDefault("someone else's");
    ASSERT_EQ(RunRegistrationScript(kScript, kReplacements, true, root), S_OK);
    EXPECT_EQ(root.Find("CLSID\\{C}\\Stale"), nullptr);
    const std::string once = registry::Serialize(root);
    ASSERT_EQ(RunRegistrationScript(kScript, kReplacements, true, root), S_OK);
    EXPECT_EQ(registry::Serialize(root), once);
    EXPECT_EQ(*root.Find("CLSID\\{Other}")->defaultValue(), "someone else's");
}

TEST(Registrar, UnregisteringKeepsNoRemoveKeysAndOthersKeys)
{
    Key root;
    root.Create("CLSID\\{Other}").SetDefault("someone else's");
    ASSERT_EQ(RunRegistrationScript(kScript, kReplacements, true, root), S_OK);
    // Something of another program under our ProgID key keeps that key.
    root.Create("X.X.1\\Extra");
    ASSERT_EQ(RunRegistrationScript(kScript, kReplacements, false, root), S_OK);
    EXPECT_EQ(root.Find("CLSID\\{C}"), nullptr);
    EXPECT_NE(root.Find("CLSID\\{Other}"), nullptr);
    EXPECT_EQ(root.Find("X.X.1\\CLSID"), nullptr);
    EXPECT_NE(root.Find("X.X.1\\Extra"), nullptr);
    root.Remove("X.X.1");
    root.Remove("CLSID\\{Other}");
    EXPECT_EQ(registry::Serialize(root), "Chorvane registry 1\n[CLSID]\nEnd\n");
    // Unregistering what is not there is no error.
    EXPECT_EQ(RunRegistrationScript(kScript, kReplacements, false, root), S_OK);
}

TEST(Registrar, DeleteRemovesAKeyWhenRegistering)
{
    Key root;
    root.Create("Old\\Child");
    ASSERT_EQ(RunRegistrationScript("HKCR { Delete Old New = s 'n' }", {}, true, root), S_OK);
    EXPECT_EQ(root.Find("Old"), nullptr);
    EXPECT_EQ(*root.Find("New")->defaultValue(), "n");
}

TEST(Registrar, BadScriptsAndUnknownReplacementsFailWithoutChanges)
{
    for (const char* bad : {"HKLM { A }", "HKCR { A = s 'x' ", "HKCR { A = d 5 }", "HKCR { val A = s 'x' }",
                            "HKCR { A = s 'open }", "HKCR { A = s '%NOPE%' }", "HKCR { A = s '%MODULE' }",
                            "HKCR { A\\B }", "HKCR { A {"}) {
        Key root;
        std::string error;
        EXPECT_EQ(RunRegistrationScript(bad, kReplacements, true, root, &error), E_FAIL) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_TRUE(root.empty()) << bad;
    }
}
