// Writing profile strings: only the written key changes, the file is replaced whole,
// and a failed write says which file.

#include "profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ProfileWrite, CreatesFileSectionAndKey)
{
    TempFolder folder;
    const std::string path = folder.Path("config.ini");
    profile::WriteString(path, "skin", "skin", "12");
    EXPECT_EQ(TempFolder::Read(path), "[skin]\nskin=12\n");
    profile::WriteString(path, "skin", "other", "x");
    profile::WriteString(path, "setting", "displayHelpDialog", "0");
    EXPECT_EQ(TempFolder::Read(path), "[skin]\nskin=12\nother=x\n\n[setting]\ndisplayHelpDialog=0\n");
    EXPECT_EQ(profile::ReadInteger(path, "SETTING", "displayhelpdialog", 1), 0);
}

TEST(ProfileWrite, RewritesOnlyThatKeyByteForByte)
{
    TempFolder folder;
    const std::string before =
        "\xEF\xBB\xBF; Chorvane settings\r\n"
        "[recorder_setting]\r\n"
        "  ; a comment with = sign\r\n"
        "DRIVER = 1\r\n"
        "folder=\xE6\x88\x91\xE7\x9A\x84\r\n"
        "\r\n"
        "[wav]\r\n"
        "frequency=7\r\n"
        "[recorder_setting]\r\n"
        "driver=shadowed\r\n"
        "odd line without equals\r\n";
    const std::string path = folder.Write("config.ini", before);
    profile::WriteString(path, "Recorder_Setting", "driver", "3");
    std::string expected = before;
    expected.replace(expected.find("DRIVER = 1"), 10, "DRIVER = 3");
    EXPECT_EQ(TempFolder::Read(path), expected);

    // A new key goes after the section's last line, before the blank line.
    profile::WriteString(path, "recorder_setting", "buffer_size", "8192");
    expected.insert(expected.find("\r\n\r\n") + 2, "buffer_size=8192\r\n");
    EXPECT_EQ(TempFolder::Read(path), expected);
    EXPECT_EQ(profile::ReadInteger(path, "recorder_setting", "buffer_size", 0), 8192);
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "folder", ""), "\xE6\x88\x91\xE7\x9A\x84");
}

TEST(ProfileWrite, FilesWithoutFinalLineEndStayWhole)
{
    TempFolder folder;
    const std::string path = folder.Write("config.ini", "[a]\nx=1");
    profile::WriteString(path, "a", "y", "2");
    EXPECT_EQ(TempFolder::Read(path), "[a]\nx=1\ny=2\n");
    folder.Write("config.ini", "[a]\nx=1\r");
    profile::WriteString(path, "b", "z", "3");
    EXPECT_EQ(TempFolder::Read(path), "[a]\nx=1\r\n\n[b]\nz=3\n");
    EXPECT_EQ(profile::ReadString(path, "a", "x", ""), "1");
    EXPECT_EQ(profile::ReadString(path, "b", "z", ""), "3");
    folder.Write("config.ini", "[a]\nx=old");
    profile::WriteString(path, "a", "x", "");
    EXPECT_EQ(TempFolder::Read(path), "[a]\nx=");
}

TEST(ProfileWrite, LineBreaksInAValueCannotAddKeys)
{
    TempFolder folder;
    const std::string path = folder.Path("config.ini");
    profile::WriteString(path, "recorder_setting", "folder", "/tmp/a\n[skin]\r\nskin=1");
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "folder", ""), "/tmp/a [skin]  skin=1");
    EXPECT_EQ(profile::ReadInteger(path, "skin", "skin", 10), 10);
}

TEST(ProfileWrite, ReplacesTheFileAtomicallyKeepingModeAndLinks)
{
    TempFolder folder;
    const std::string real = folder.Write("real.ini", "[a]\nx=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    const std::string link = folder.Path("config.ini");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    struct stat st{};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    const ino_t oldInode = st.st_ino;

    profile::WriteString(link, "a", "x", "2");

    EXPECT_EQ(TempFolder::Read(real), "[a]\nx=2\n");
    struct stat lst{};
    ASSERT_EQ(::lstat(link.c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_NE(st.st_ino, oldInode) << "the file was rewritten in place, not replaced";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.dir())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2u) << "a temporary file was left behind";
}

TEST(ProfileWrite, FailedWritesNameTheFileAndLoseNothing)
{
    TempFolder folder;
    const std::string readOnly = folder.Write("config.ini", "[a]\nx=1\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string cases[] = {readOnly, folder.Path("no/such/folder/config.ini"), folder.Path("")};
    for (const std::string& path : cases) {
        try {
            profile::WriteString(path, "a", "x", "2");
            ADD_FAILURE() << "wrote " << path;
        } catch (const profile::WriteError& e) {
            EXPECT_EQ(e.what(), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(TempFolder::Read(readOnly), "[a]\nx=1\n");
}

}  // namespace
