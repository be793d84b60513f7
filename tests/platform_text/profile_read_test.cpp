// Reading profile strings and integers with the platform's rules.

#include "profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ProfileRead, FindsValuesByThePlatformRules)
{
    TempFolder folder;
    const std::string path = folder.Write("config.ini",
        "\xEF\xBB\xBF"
        "orphan=before any section\r\n"
        "[Recorder_Setting]\r\n"
        "; folder=commented out\r\n"
        "  Folder =  /home/me/my songs  \r\n"
        "folder=second one loses\r\n"
        "quoted=\"  kept spaces  \"\r\n"
        "single='x'\r\n"
        "half=\"open\r\n"
        "empty=\r\n"
        "noequals\r\n"
        "[other]\r\n"
        "driver=9\r\n"
        "[ recorder_setting ]\r\n"
        "driver=3\r\n"
        "folder=later section loses\r\n");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "folder", "d"), "/home/me/my songs");
    EXPECT_EQ(profile::ReadString(path, "RECORDER_SETTING", "FOLDER", "d"), "/home/me/my songs");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "quoted", "d"), "  kept spaces  ");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "single", "d"), "x");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "half", "d"), "\"open");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "empty", "d"), "");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "noequals", "d"), "d");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "driver", "d"), "3");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "orphan", "d"), "d");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "; folder", "d"), "d");
    EXPECT_EQ(profile::ReadString(path, "missing", "folder", "fallback"), "fallback");
    EXPECT_EQ(profile::ReadString(folder.Path("nope.ini"), "a", "b", "fallback"), "fallback");
    EXPECT_EQ(profile::ReadString(folder.Path(""), "a", "b", "from a folder"), "from a folder");
}

TEST(ProfileRead, LanguageFileTextIsUtf8AndCutAt2047Bytes)
{
    TempFolder folder;
    std::string longAscii(3000, 'a');
    // 2046 ASCII bytes then a three-byte character that would straddle the limit.
    std::string straddling = std::string(2046, 'b') + "\xE5\x8D\xA1" + "tail";
    const std::string path = folder.Write("gb.ini", "[frmMain]\nbuttonRecord=\xE5\x8D\xA1\xE6\x8B\x89 OK\n"
                                                    "long=" + longAscii + "\nstraddle=" + straddling + "\n");
    EXPECT_EQ(profile::ReadString(path, "frmmain", "ButtonRecord", ""), "\xE5\x8D\xA1\xE6\x8B\x89 OK");
    EXPECT_EQ(profile::ReadString(path, "frmMain", "long", ""), std::string(2047, 'a'));
    EXPECT_EQ(profile::ReadString(path, "frmMain", "straddle", ""), std::string(2046, 'b'));
    EXPECT_EQ(profile::ReadString(path, "frmMain", "missing", longAscii).size(), 2047u);
}

TEST(ProfileRead, IntegersAreDecimalOrHexElseTheDefault)
{
    TempFolder folder;
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42}, {"  7 ", 7}, {"-7", -7}, {"+5", 5}, {"0", 0}, {"0x1F", 31}, {"0XfF", 255},
        {"0xFFFFFFFF", -1}, {"0x7fffffff", INT_MAX}, {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN}, {"", -99}, {"abc", -99}, {"12abc", -99}, {"1.5", -99},
        {"0x", -99}, {"0xG1", -99}, {"0x123456789", -99}, {"2147483648", -99},
        {"-2147483649", -99}, {"99999999999999999999999", -99}, {"-", -99}, {"- 1", -99},
        {"\"12\"", 12},
    };
    for (const auto& c : cases) {
        const std::string path = folder.Write("config.ini", std::string("[skin]\nskin=") + c.text + "\n");
        EXPECT_EQ(profile::ReadInteger(path, "skin", "skin", -99), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(profile::ReadInteger(folder.Path("absent.ini"), "skin", "skin", 10), 10);
}

TEST(ProfileRead, GarbageFilesGiveDefaults)
{
    TempFolder folder;
    std::string garbage;
    for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 251);
    const std::string path = folder.Write("config.ini", garbage);
    EXPECT_EQ(profile::ReadInteger(path, "recorder_setting", "buffer_size", 16384), 16384);
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "folder", ""), "");
    EXPECT_EQ(profile::ReadInteger(path, "skin", "skin", 10), 10);
}

TEST(ProfileRead, SnapshotAnswersAsTheFileWasWhenRead)
{
    TempFolder folder;
    const std::string path = folder.Write("en.ini", "[frmMain]\nCaption = \"Chorvane\"\ncaption=second loses\n"
                                                    "long=" + std::string(3000, 'a') + "\n[Messages]\nok=OK\n");
    const profile::Snapshot file(path);
    folder.Write("en.ini", "[frmMain]\ncaption=changed on disk\n");
    EXPECT_EQ(file.ReadString("FRMMAIN", "caption", "d"), "Chorvane");
    EXPECT_EQ(file.ReadString("frmMain", "long", "d"), std::string(2047, 'a'));
    EXPECT_EQ(file.ReadString("messages", "OK", "d"), "OK");
    EXPECT_EQ(file.ReadString("messages", "missing", "fallback"), "fallback");
    EXPECT_EQ(profile::ReadString(path, "frmMain", "caption", "d"), "changed on disk");

    const profile::Snapshot missing(folder.Path("nope.ini"));
    EXPECT_EQ(missing.ReadString("frmMain", "caption", std::string(3000, 'f')), std::string(2047, 'f'));
}

}  // namespace
