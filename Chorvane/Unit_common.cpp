#include "Unit_common.h"

#include "codepage.h"
#include "language_choice.h"
#include "profile.h"
#include "recordings_folder.h"
#include "shell.h"

#include <QDir>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef CHORVANE_DATADIR_FROM_BINDIR
#define CHORVANE_DATADIR_FROM_BINDIR "../share/chorvane"
#endif

namespace {

namespace fs = std::filesystem;

// Every host the program names, in one place. Language 1 is Chinese; the others English.
struct Sites {
    static constexpr const char* kMakerChinese = "https://zh.chorvane.example.org/";
    static constexpr const char* kSongsChinese = "https://songs-zh.chorvane.example.org/";
    static constexpr const char* kProduct = "https://chorvane.example.org/";
    static constexpr const char* kMakerEnglish = "https://en.chorvane.example.org/";
    static constexpr const char* kAccompanimentsEnglish = "https://accompaniments.chorvane.example.org/";
    static constexpr const char* kRecordingHelpEnglish = "https://help.chorvane.example.org/";
    static constexpr const char* kSupportChinese = "mailto:support-zh@chorvane.example.org";
    static constexpr const char* kSupportEnglish = "mailto:support@chorvane.example.org";
};

struct AddressSet {
    std::string homePage, support, contact, helpPage, searchPage, songList, advert;
};

AddressSet AddressSetOf(int32_t language)
{
    const std::string makerZh = Sites::kMakerChinese;
    const std::string songsZh = Sites::kSongsChinese;
    const std::string product = Sites::kProduct;
    if (language == 1)
        return {makerZh,
                Sites::kSupportChinese,
                makerZh + "contactus.htm",
                makerZh + "help.php",
                songsZh + "query.php",
                songsZh + "song_list.php",
                makerZh + "software-ad.php"};
    return {product,
            Sites::kSupportEnglish,
            std::string(Sites::kMakerEnglish) + "feedback.htm",
            "",
            product + "query.php",
            product + "song_list.php",
            product + "software-ad.php"};
}

constexpr std::array<const char*, 18> kSkinFiles = {
    "Calmness.ssk", "DiamondBlue.ssk", "DiamondGreen.ssk", "GlassGreen.ssk", "Longhorn.ssk",
    "MacOS.ssk",    "MP10.ssk",        "MSN.ssk",          "OneBlue.ssk",    "Silver.ssk",
    "SportsBlack.ssk", "SportsBlue.ssk", "Midsummer.ssk",  "Emerald.ssk",    "Warm.ssk",
    "XPBlue.ssk",   "XPGreen.ssk",     "XPSilver.ssk"};

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string ExecutableFolder()
{
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path(error).string();
    return executable.parent_path().string();
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string TfrmCommon::ProgramFolderFor(const std::string& executableFolder, const std::string& xdgDataHome,
                                         const std::string& home)
{
    std::error_code error;
    if (!executableFolder.empty() && fs::is_directory(fs::path(executableFolder) / "language", error))
        return WithSlash(executableFolder);
    // Relative values of XDG_DATA_HOME are invalid and ignored.
    const std::string dataHome = (!xdgDataHome.empty() && xdgDataHome.front() == '/')
                                     ? xdgDataHome
                                     : WithSlash(home) + ".local/share";
    return WithSlash(WithSlash(dataHome) + "chorvane");
}

std::string TfrmCommon::DataFolderFor(const std::string& executableFolder)
{
    std::error_code error;
    if (fs::is_directory(fs::path(executableFolder) / "language", error)) return WithSlash(executableFolder);
    return WithSlash((fs::path(executableFolder) / CHORVANE_DATADIR_FROM_BINDIR).lexically_normal().string());
}

TfrmCommon::TfrmCommon(QObject* parent) : QObject(parent)
{
    const std::string executableFolder = ExecutableFolder();
    const std::string programFolder =
        ProgramFolderFor(executableFolder, Environment("XDG_DATA_HOME"), Environment("HOME"));
    // An installed program keeps its files in the user's data folder: make sure it exists,
    // so that the first settings and history can be written.
    std::error_code error;
    fs::create_directories(programFolder, error);
    Initialise(programFolder, DataFolderFor(executableFolder));
}

TfrmCommon::TfrmCommon(const std::string& programFolder, const std::string& dataFolder, QObject* parent)
    : QObject(parent)
{
    Initialise(WithSlash(programFolder), WithSlash(dataFolder));
}

void TfrmCommon::Initialise(const std::string& programFolder, const std::string& dataFolder)
{
    programFolder_ = programFolder;
    dataFolder_ = dataFolder;
    configPath_ = programFolder_ + "config.ini";
    historyPath_ = programFolder_ + "history.dat";
    songListPath_ = programFolder_ + "song_list.xml";
    languageNumber_ = ReadLanguageNumber();
    languageFilePath_ = dataFolder_ + (languageNumber_ == 1 ? "language/gb.ini" : "language/en.ini");
    const AddressSet set = AddressSetOf(languageNumber_);
    homePage_ = set.homePage;
    support_ = set.support;
    contact_ = set.contact;
    helpPage_ = set.helpPage;
    searchPage_ = set.searchPage;
    songList_ = set.songList;
    advert_ = set.advert;
    opener_ = [](const std::string& address) { shell::Open(address); };
}

void TfrmCommon::OpenAddress(const std::string& address) const
{
    if (opener_) opener_(address);
}

void TfrmCommon::OpenHomePage() const
{
    OpenAddress(homePage_);
}

void TfrmCommon::OpenSupport() const
{
    OpenAddress(support_);
}

void TfrmCommon::OpenContactPage() const
{
    OpenAddress(contact_);
}

void TfrmCommon::OpenHelpPage() const
{
    // Without a help page the address would be "?user=" alone, which names nothing;
    // handing it to the desktop could only produce an error of the desktop's own.
    if (helpPage_.empty()) return;
    OpenAddress(helpPage_ + "?user=");
}

void TfrmCommon::OpenAccompanimentSite() const
{
    const int32_t language = ReadLanguageNumber();
    if (language == 1)
        OpenAddress(Sites::kSongsChinese);
    else if (language == 2)
        OpenAddress(Sites::kAccompanimentsEnglish);
}

void TfrmCommon::OpenVistaRecordingHelp() const
{
    const std::string site = ReadLanguageNumber() == 1 ? Sites::kMakerChinese : Sites::kRecordingHelpEnglish;
    OpenAddress(site + "vista_audio_recorder.htm");
}

std::string TfrmCommon::DefaultOutputFolder() const
{
    return recordings_folder::DefaultFolderOfProgram(QString::fromStdString(programFolder_)).toStdString();
}

void TfrmCommon::OpenRecordingsFolder() const
{
    const std::string folder = DefaultOutputFolder();
    (void)QDir().mkpath(QString::fromStdString(folder));  // the shell reports nothing either
    OpenAddress(folder);
}

std::string TfrmCommon::EncodeSearchText(const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : codepage::Utf8ToGbk(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            encoded += '+';
        } else if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

void TfrmCommon::OpenSearchPage(const std::string& encodedText) const
{
    OpenAddress(searchPage_ + "?keyword=" + encodedText);
}

int32_t TfrmCommon::ReadLanguageNumber() const
{
    return language_choice::ReadLanguageNumber(configPath_);
}

bool TfrmCommon::ShowWelcomeDialogAtStart() const
{
    return profile::ReadInteger(configPath_, "setting", "displayHelpDialog", 1) == 1;
}

int32_t TfrmCommon::ReadSkinNumber() const
{
    return profile::ReadInteger(configPath_, "skin", "skin", 10);
}

void TfrmCommon::SaveSkinNumber(int32_t number) const
{
    profile::WriteString(configPath_, "skin", "skin", std::to_string(number));
}

std::string TfrmCommon::SkinFilePath(int32_t number) const
{
    const char* file = (number >= 1 && number <= 18) ? kSkinFiles[static_cast<size_t>(number - 1)] : "Silver.ssk";
    return dataFolder_ + "skins/" + file;
}
