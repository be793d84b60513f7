// Starting programs detached and handing addresses to the desktop's opener.

#include "shell.h"
#include "temp_folder.h"

#include "event_loop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

bool FileHolds(const std::string& path, const std::string& text)
{
    return std::filesystem::exists(path) && TempFolder::Read(path) == text;
}

TEST(Shell, StartsAProgramWithItsArgumentsUntouched)
{
    TempFolder folder;
    const std::string out = folder.Path("args.txt");
    // The arguments reach the program one by one, never through a shell.
    shell::Start("/bin/sh", {"-c", "printf '%s|' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", out,
                             "two words", "a;b", "$HOME", "'q'"});
    EXPECT_TRUE(test_support::SpinUntil([&] { return FileHolds(out, "two words|a;b|$HOME|'q'|"); }, 10000))
        << TempFolder::Read(out);
    shell::Start(folder.Path("no-such-program"));  // nothing reported, nothing thrown
    shell::Start("");
}

TEST(Shell, OpenHandsTheAddressToTheDesktopOpener)
{
    TempFolder folder;
    const std::string out = folder.Path("opened.txt");
    const std::string opener = folder.Write("xdg-open",
        "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" + out + ".tmp\" && mv \"" + out + ".tmp\" \"" + out + "\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder.dir().string() + ":" + oldPath).c_str(), 1);

    const std::string address = "http://example.com/query.php?keyword=%BF%A8+OK&a=1;echo x";
    shell::Open(address);
    EXPECT_TRUE(test_support::SpinUntil([&] { return FileHolds(out, "1|" + address); }, 10000))
        << TempFolder::Read(out);

    std::filesystem::remove(out);
    const std::string song = folder.Write("my song [1].mp3", "");
    shell::Open(song);
    EXPECT_TRUE(test_support::SpinUntil([&] { return FileHolds(out, "1|" + song); }, 10000))
        << TempFolder::Read(out);

    std::filesystem::remove(out);
    shell::Open("-n.mp3");
    EXPECT_TRUE(test_support::SpinUntil([&] { return FileHolds(out, "1|./-n.mp3"); }, 10000))
        << TempFolder::Read(out);

    ::setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
