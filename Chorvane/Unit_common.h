#pragma once
// TfrmCommon: the shared services of the program. Created once at start and never
// shown, it holds the program folder, the paths of the data files, the language
// number read at start and the web addresses of that language, and opens addresses,
// folders and the search page. Everything else in the program reaches paths and
// addresses through it.

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

class TfrmCommon : public QObject {
    Q_OBJECT
public:
    // Hands an address or path to the desktop; the default is the shell's open.
    using Opener = std::function<void(const std::string&)>;

    // The program folder by the rule below, for the running executable.
    explicit TfrmCommon(QObject* parent = nullptr);
    // A given program folder and data folder (tests, and callers that know better);
    // both may lack the trailing slash, which is added.
    TfrmCommon(const std::string& programFolder, const std::string& dataFolder, QObject* parent = nullptr);

    // The program folder: the executable's folder when it holds a "language" folder
    // (the build tree, a portable folder); otherwise `xdgDataHome`/chorvane/, where
    // `xdgDataHome` falls back to `home`/.local/share when empty or not absolute.
    // Always ends in "/".
    [[nodiscard]] static std::string ProgramFolderFor(const std::string& executableFolder,
                                                      const std::string& xdgDataHome, const std::string& home);
    // Where "language/" and "skins/" are read from: the program folder when it is the
    // executable's folder; for an installed program <prefix>/share/chorvane/, the
    // executable lying in <prefix>/bin. Always ends in "/".
    [[nodiscard]] static std::string DataFolderFor(const std::string& executableFolder);

    // Paths, fixed at creation.
    [[nodiscard]] std::string ProgramFolder() const { return programFolder_; }
    [[nodiscard]] std::string DataFolder() const { return dataFolder_; }
    [[nodiscard]] const std::string& ConfigPath() const { return configPath_; }
    [[nodiscard]] const std::string& HistoryPath() const { return historyPath_; }
    [[nodiscard]] const std::string& SongListPath() const { return songListPath_; }
    [[nodiscard]] int32_t LanguageNumber() const { return languageNumber_; }
    [[nodiscard]] const std::string& LanguageFilePath() const { return languageFilePath_; }
    // The output folder when the settings name none: the user's Music folder +
    // "/Chorvane", or program folder + "my_songs" in a portable folder.
    [[nodiscard]] std::string DefaultOutputFolder() const;

    // The address set of the language read at creation.
    [[nodiscard]] const std::string& HomePageAddress() const { return homePage_; }
    [[nodiscard]] const std::string& SupportAddress() const { return support_; }
    [[nodiscard]] const std::string& ContactAddress() const { return contact_; }
    [[nodiscard]] const std::string& HelpPageAddress() const { return helpPage_; }
    [[nodiscard]] const std::string& SearchPageAddress() const { return searchPage_; }
    [[nodiscard]] const std::string& SongListAddress() const { return songList_; }
    [[nodiscard]] const std::string& AdvertAddress() const { return advert_; }

    // Operations; none reports a failure.
    void SetOpener(Opener opener) { opener_ = std::move(opener); }
    void OpenAddress(const std::string& address) const;
    void OpenHomePage() const;
    void OpenSupport() const;
    void OpenContactPage() const;
    // Help page + "?user="; the English set has no help page, and then nothing opens.
    void OpenHelpPage() const;
    // These two read the language again at each use.
    void OpenAccompanimentSite() const;
    void OpenVistaRecordingHelp() const;
    // Always the default output folder (created when needed), whatever the settings name.
    void OpenRecordingsFolder() const;
    // The text (UTF-8) as GBK bytes, encoded for a query string: space as "+",
    // ASCII letters and digits as they are, every other byte as "%XX" (upper case).
    [[nodiscard]] static std::string EncodeSearchText(const std::string& text);
    // Search page + "?keyword=" + the already encoded text.
    void OpenSearchPage(const std::string& encodedText) const;
    // Key `language` of section `common`, read at every call; without it the desktop's
    // locale decides (zh_* gives 1, anything else 2).
    [[nodiscard]] int32_t ReadLanguageNumber() const;
    // Key `displayHelpDialog` of section `setting`, default 1: true exactly for 1.
    [[nodiscard]] bool ShowWelcomeDialogAtStart() const;

    // Skins: the number kept in config.ini and the file it names.
    [[nodiscard]] int32_t ReadSkinNumber() const;
    // Raises profile::WriteError ("Unable to write to <path>") when config.ini cannot be written.
    void SaveSkinNumber(int32_t number) const;
    // DataFolder() + "skins/" + the file of the number; "Silver.ssk" outside 1 ... 18.
    [[nodiscard]] std::string SkinFilePath(int32_t number) const;

private:
    void Initialise(const std::string& programFolder, const std::string& dataFolder);

    std::string programFolder_;
    std::string dataFolder_;
    std::string configPath_;
    std::string historyPath_;
    std::string songListPath_;
    int32_t languageNumber_ = 2;
    std::string languageFilePath_;
    std::string homePage_;
    std::string support_;
    std::string contact_;
    std::string helpPage_;
    std::string searchPage_;
    std::string songList_;
    std::string advert_;
    Opener opener_;
};
