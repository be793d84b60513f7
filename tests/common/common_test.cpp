#include "Unit_common.h"

#include "profile.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A program folder of its own with an optional config.ini, and a TfrmCommon whose
// opened addresses are collected instead of reaching the desktop.
class Common : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string Folder() const { return dir_.path().toStdString() + "/"; }

    void WriteConfig(const std::string& text) const
    {
        std::ofstream(Folder() + "config.ini") << text;
    }

    std::unique_ptr<TfrmCommon> Make()
    {
        auto common = std::make_unique<TfrmCommon>(Folder(), Folder() + "data");
        common->SetOpener([this](const std::string& address) { opened.push_back(address); });
        return common;
    }

    std::vector<std::string> opened;

private:
    QTemporaryDir dir_;
};

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(ProgramFolder, IsTheExecutablesFolderOnlyWhenItHoldsTheLanguageFolder)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    fs::create_directories(root + "/portable/language");
    fs::create_directories(root + "/prefix/bin");

    EXPECT_EQ(TfrmCommon::ProgramFolderFor(root + "/portable", "/xdg", "/home/u"), root + "/portable/");
    EXPECT_EQ(TfrmCommon::DataFolderFor(root + "/portable"), root + "/portable/");

    // Installed: the user's data folder, with the language files under <prefix>/share.
    EXPECT_EQ(TfrmCommon::ProgramFolderFor(root + "/prefix/bin", "/xdg", "/home/u"), "/xdg/chorvane/");
    EXPECT_EQ(TfrmCommon::ProgramFolderFor(root + "/prefix/bin", "", "/home/u"), "/home/u/.local/share/chorvane/");
    EXPECT_EQ(TfrmCommon::ProgramFolderFor(root + "/prefix/bin", "relative/dir", "/home/u/"),
              "/home/u/.local/share/chorvane/");
    EXPECT_EQ(TfrmCommon::DataFolderFor(root + "/prefix/bin"), root + "/prefix/share/chorvane/");
}

TEST(ProgramFolder, TheRunningProgramFollowsTheRuleAndHasItsFolder)
{
    QTemporaryDir xdg;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string previous = saved ? saved : "";
    setenv("XDG_DATA_HOME", xdg.path().toLocal8Bit().constData(), 1);
    TfrmCommon common;
    if (saved) setenv("XDG_DATA_HOME", previous.c_str(), 1); else unsetenv("XDG_DATA_HOME");

    const std::string executableFolder = fs::read_symlink("/proc/self/exe").parent_path().string();
    const std::string expected = fs::is_directory(executableFolder + "/language")
                                     ? executableFolder + "/"
                                     : xdg.path().toStdString() + "/chorvane/";
    EXPECT_EQ(common.ProgramFolder(), expected);
    EXPECT_TRUE(fs::is_directory(common.ProgramFolder()));
    EXPECT_EQ(common.ConfigPath(), expected + "config.ini");
}

TEST_F(Common, WithoutConfigTheEnglishSetAndFileAreChosen)
{
    const ScopedEnv home("HOME", QByteArray::fromStdString(Folder() + "home"));
    const auto common = Make();
    EXPECT_EQ(common->ConfigPath(), Folder() + "config.ini");
    EXPECT_EQ(common->HistoryPath(), Folder() + "history.dat");
    EXPECT_EQ(common->SongListPath(), Folder() + "song_list.xml");
    EXPECT_EQ(common->DefaultOutputFolder(), Folder() + "home/Music/Chorvane");
    EXPECT_EQ(common->LanguageNumber(), 2);
    EXPECT_EQ(common->LanguageFilePath(), Folder() + "data/language/en.ini");
    EXPECT_TRUE(common->ShowWelcomeDialogAtStart());

    EXPECT_TRUE(StartsWith(common->SupportAddress(), "mailto:"));
    EXPECT_TRUE(EndsWith(common->ContactAddress(), "/feedback.htm"));
    EXPECT_EQ(common->HelpPageAddress(), "");
    EXPECT_TRUE(EndsWith(common->SearchPageAddress(), "/query.php"));
    EXPECT_TRUE(EndsWith(common->AdvertAddress(), "/software-ad.php"));
    EXPECT_FALSE(common->SongListAddress().empty());
    EXPECT_FALSE(common->HomePageAddress().empty());

    common->OpenHelpPage();  // no help page in English: nothing opens, nothing is said
    EXPECT_TRUE(opened.empty());
    common->OpenAccompanimentSite();
    common->OpenVistaRecordingHelp();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(StartsWith(opened[0], "https://"));
    EXPECT_TRUE(EndsWith(opened[1], "/vista_audio_recorder.htm"));
}

TEST_F(Common, LanguageOneSelectsTheChineseSetAndOthersTheEnglish)
{
    WriteConfig("[common]\nlanguage=1\n");
    const auto chinese = Make();
    EXPECT_EQ(chinese->LanguageFilePath(), Folder() + "data/language/gb.ini");
    EXPECT_TRUE(EndsWith(chinese->ContactAddress(), "/contactus.htm"));
    EXPECT_FALSE(chinese->HelpPageAddress().empty());
    chinese->OpenHelpPage();
    chinese->OpenHomePage();
    chinese->OpenSupport();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], chinese->HelpPageAddress() + "?user=");
    EXPECT_EQ(opened[1], chinese->HomePageAddress());
    EXPECT_EQ(opened[2], chinese->SupportAddress());

    opened.clear();
    WriteConfig("[common]\nlanguage=3\n");
    const auto other = Make();
    EXPECT_EQ(other->LanguageFilePath(), Folder() + "data/language/en.ini");
    EXPECT_EQ(other->HelpPageAddress(), "");
    EXPECT_NE(other->SearchPageAddress(), chinese->SearchPageAddress());
    other->OpenAccompanimentSite();  // language 3 has no accompaniment site
    EXPECT_TRUE(opened.empty());
    other->OpenVistaRecordingHelp();  // same page as language 2
    WriteConfig("[common]\nlanguage=2\n");
    other->OpenVistaRecordingHelp();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], opened[1]);
}

TEST_F(Common, TheSetIsFixedAtStartButTheTwoSiteCommandsFollowTheFile)
{
    const auto common = Make();
    common->OpenAccompanimentSite();
    const std::string englishSite = opened.at(0);

    WriteConfig("[common]\nlanguage=1\n");
    EXPECT_EQ(common->LanguageNumber(), 2);
    EXPECT_EQ(common->ReadLanguageNumber(), 1);
    EXPECT_EQ(common->LanguageFilePath(), Folder() + "data/language/en.ini");
    common->OpenAccompanimentSite();
    common->OpenVistaRecordingHelp();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_NE(opened[1], englishSite);
    EXPECT_TRUE(StartsWith(opened[1], "https://"));
    EXPECT_TRUE(EndsWith(opened[2], "/vista_audio_recorder.htm"));
}

TEST_F(Common, EveryHostComesFromTheProgramsOwnDomain)
{
    for (const char* config : {"", "[common]\nlanguage=1\n"}) {
        WriteConfig(config);
        const auto common = Make();
        for (const std::string& address :
             {common->HomePageAddress(), common->ContactAddress(), common->SearchPageAddress(),
              common->SongListAddress(), common->AdvertAddress()}) {
            const size_t hostStart = address.find("://") + 3;
            const std::string host = address.substr(hostStart, address.find('/', hostStart) - hostStart);
            EXPECT_TRUE(EndsWith(host, "chorvane.example.org")) << address;
        }
        EXPECT_TRUE(EndsWith(common->SupportAddress(), "@chorvane.example.org"));
    }
}

TEST_F(Common, RecordingsFolderAndSearchPage)
{
    WriteConfig("[recorder_setting]\nfolder=/somewhere/else\n");
    const ScopedEnv home("HOME", QByteArray::fromStdString(Folder() + "home"));
    const auto common = Make();
    common->OpenRecordingsFolder();
    common->OpenSearchPage(TfrmCommon::EncodeSearchText("卡拉 OK"));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], Folder() + "home/Music/Chorvane");  // the default folder, created
    EXPECT_TRUE(std::filesystem::is_directory(opened[0]));
    EXPECT_EQ(opened[1], common->SearchPageAddress() + "?keyword=%BF%A8%C0%AD+OK");
}

TEST(EncodeSearchText, EncodesGbkBytesForAQueryString)
{
    EXPECT_EQ(TfrmCommon::EncodeSearchText(""), "");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("Hello World!"), "Hello+World%21");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("a b"), "a+b");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("a/b"), "a%2Fb");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("09AZaz-_.~%+&="), "09AZaz%2D%5F%2E%7E%25%2B%26%3D");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("卡拉 OK"), "%BF%A8%C0%AD+OK");
    EXPECT_EQ(TfrmCommon::EncodeSearchText("\t\n"), "%09%0A");
    // A character GBK cannot hold goes out as "?", never as broken bytes.
    EXPECT_EQ(TfrmCommon::EncodeSearchText("K🎤"), "K%3F");
}

TEST_F(Common, WelcomeDialogAndSkinKeys)
{
    const auto common = Make();
    for (const auto& [value, shown] :
         std::vector<std::pair<std::string, bool>>{{"1", true}, {"0", false}, {"2", false}, {"0x1", true},
                                                   {"yes", true}}) {
        WriteConfig("[setting]\ndisplayHelpDialog=" + value + "\n");
        EXPECT_EQ(common->ShowWelcomeDialogAtStart(), shown) << value;
    }

    WriteConfig("[common]\nlanguage=1\n");
    EXPECT_EQ(common->ReadSkinNumber(), 10);
    common->SaveSkinNumber(5);
    EXPECT_EQ(common->ReadSkinNumber(), 5);
    EXPECT_EQ(common->ReadLanguageNumber(), 1) << "saving the skin keeps the other keys";

    EXPECT_EQ(common->SkinFilePath(5), Folder() + "data/skins/Longhorn.ssk");
    EXPECT_EQ(common->SkinFilePath(18), Folder() + "data/skins/XPSilver.ssk");
    EXPECT_EQ(common->SkinFilePath(0), Folder() + "data/skins/Silver.ssk");
    EXPECT_EQ(common->SkinFilePath(19), Folder() + "data/skins/Silver.ssk");
}
