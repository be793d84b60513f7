#pragma once
// Writes lyric files for the tests into a folder removed with the object.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class LyricFolder {
public:
    LyricFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lrc-test-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    ~LyricFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    LyricFolder(const LyricFolder&) = delete;
    LyricFolder& operator=(const LyricFolder&) = delete;

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};
