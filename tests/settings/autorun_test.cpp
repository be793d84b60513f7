// The autostart entry: its exact content, its validity, and its removal.
#include "autorun.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// desktop-file-validate's verdict: empty when the file is valid.
QString ValidatorComplaints(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {path});
    if (!p.waitForFinished(30000)) return QStringLiteral("validator did not run");
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode() == 0 && !out.contains(QStringLiteral("error")) ? QString() : out;
}

}  // namespace

TEST(AutoRun, OnWritesTheEntryOffRemovesIt)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath("config/autostart");
    const QString entry = folder + "/Tapewell.desktop";
    autorun::SetAutoRun(true, "/opt/chorvane/bin/Chorvane", folder);
    EXPECT_EQ(ReadAll(entry), "[Desktop Entry]\nType=Application\nName=Tapewell\nExec=/opt/chorvane/bin/Chorvane\n");
    EXPECT_EQ(ValidatorComplaints(entry), "");
    autorun::SetAutoRun(true, "/opt/chorvane/bin/Chorvane", folder);  // again: the same file
    EXPECT_EQ(ReadAll(entry), "[Desktop Entry]\nType=Application\nName=Tapewell\nExec=/opt/chorvane/bin/Chorvane\n");
    autorun::SetAutoRun(false, "/opt/chorvane/bin/Chorvane", folder);
    EXPECT_FALSE(QFile::exists(entry));
    autorun::SetAutoRun(false, "/opt/chorvane/bin/Chorvane", folder);  // nothing to remove: no complaint
    EXPECT_FALSE(QFile::exists(entry));
}

TEST(AutoRun, PathsWithReservedCharactersAreQuotedAndStayValid)
{
    EXPECT_EQ(autorun::DesktopEntryFor("/home/me/My Apps/Chorvane"),
              "[Desktop Entry]\nType=Application\nName=Tapewell\nExec=\"/home/me/My Apps/Chorvane\"\n");
    // Inside quotes '$' gets a backslash, which the string rules write twice; '%' is doubled.
    EXPECT_EQ(autorun::DesktopEntryFor("/opt/a$b 100%/Chorvane"),
              "[Desktop Entry]\nType=Application\nName=Tapewell\nExec=\"/opt/a\\\\$b 100%%/Chorvane\"\n");
    QTemporaryDir dir;
    autorun::SetAutoRun(true, "/home/me/My Apps/Chorvane", dir.path());
    EXPECT_EQ(ValidatorComplaints(dir.path() + "/Tapewell.desktop"), "");
}

TEST(AutoRun, AFolderThatCannotBeWrittenIsSkippedAndTheFolderFollowsXdg)
{
    QTemporaryDir dir;
    const QString blocker = QDir(dir.path()).filePath("not-a-folder");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    autorun::SetAutoRun(true, "/usr/bin/Chorvane", blocker + "/autostart");  // no throw, no file
    EXPECT_FALSE(QFile::exists(blocker + "/autostart/Tapewell.desktop"));

    {
        const ScopedEnv config("XDG_CONFIG_HOME", "/xdg/config");
        EXPECT_EQ(autorun::AutostartFolder(), "/xdg/config/autostart");
    }
    const ScopedEnv relative("XDG_CONFIG_HOME", "relative");
    const ScopedEnv home("HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(autorun::AutostartFolder(), dir.path() + "/.config/autostart");
}
