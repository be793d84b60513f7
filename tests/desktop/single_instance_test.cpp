// One instance: the first start listens on its socket in the runtime folder, a later
// start with the same program folder hands its files over and ends, and the running
// program brings its main window to the front. The later start runs in a thread of its
// own or as the real program, while this thread serves, as the first program's would.
#include "UnitMain.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "program_start.h"
#include "program_windows.h"
#include "scoped_env.h"
#include "single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

using test_support::SpinUntil;

namespace {

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(runtime_.isValid()); }
    QString Folder(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    // A later start, claimed in a thread of its own while this thread runs the events.
    SingleInstance::Start ClaimElsewhere(const QString& programFolder, const QStringList& files, int answerMs = 5000)
    {
        SingleInstance::Start result = SingleInstance::Start::Alone;
        std::atomic<bool> done = false;
        std::thread later([&] {
            SingleInstance other(programFolder, runtime_.path());
            result = other.Claim(files, answerMs);
            done = true;
        });
        SpinUntil([&] { return done.load(); }, answerMs + 5000);
        later.join();
        return result;
    }

    QTemporaryDir runtime_;
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(SingleInstanceTest, TheFirstStartListensAndALaterOneHandsItsFilesOver)
{
    SingleInstance first(Folder("program"), runtime_.path());
    QList<QStringList> requests;
    QObject::connect(&first, &SingleInstance::activationRequested,
                     [&](const QStringList& files) { requests << files; });
    ASSERT_EQ(first.Claim({}), SingleInstance::Start::First) << first.error().toStdString();
    const QFileInfo socket(first.SocketPath());
    EXPECT_EQ(socket.absolutePath(), QDir(runtime_.path()).absolutePath());
    EXPECT_TRUE(socket.fileName().startsWith("chorvane-"));
    EXPECT_TRUE(socket.exists());
    // Only the user may connect.
    EXPECT_FALSE(socket.permission(QFile::ReadOther) || socket.permission(QFile::WriteOther));

    EXPECT_EQ(ClaimElsewhere(Folder("program/"), {"/songs/Duet Song.mp3", "/songs/Duet Song.lrc"}),
              SingleInstance::Start::HandedOver);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0], QStringList({"/songs/Duet Song.mp3", "/songs/Duet Song.lrc"}));
    // Without files too, and again: the first keeps listening.
    EXPECT_EQ(ClaimElsewhere(Folder("program"), {}), SingleInstance::Start::HandedOver);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[1].isEmpty());
}

TEST_F(SingleInstanceTest, AnotherProgramFolderIsAnotherInstance)
{
    SingleInstance installed(Folder("data/chorvane"), runtime_.path());
    SingleInstance portable(Folder("Chorvane Portable"), runtime_.path());
    EXPECT_NE(installed.SocketPath(), portable.SocketPath());
    EXPECT_EQ(installed.Claim({}), SingleInstance::Start::First);
    EXPECT_EQ(portable.Claim({}), SingleInstance::Start::First);
}

TEST_F(SingleInstanceTest, ASocketLeftByAProgramThatDiedIsTakenOver)
{
    SingleInstance first(Folder("program"), runtime_.path());
    // A bound socket nobody listens on: what a killed program leaves behind.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(first.SocketPath());
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(first.SocketPath()));

    EXPECT_EQ(first.Claim({}), SingleInstance::Start::First) << first.error().toStdString();
    EXPECT_EQ(ClaimElsewhere(Folder("program"), {}), SingleInstance::Start::HandedOver);
}

TEST_F(SingleInstanceTest, AProgramThatDoesNotAnswerIsReportedNotJoined)
{
    SingleInstance later(Folder("program"), runtime_.path());
    QLocalServer silent;  // listens, never answers
    ASSERT_TRUE(silent.listen(later.SocketPath()));
    EXPECT_EQ(later.Claim({}, 300), SingleInstance::Start::NoAnswer);
    EXPECT_FALSE(later.error().isEmpty());
}

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTheProgramRunsAlone)
{
    SingleInstance alone(Folder("program"), Folder("no-such-folder"));
    EXPECT_EQ(alone.Claim({}), SingleInstance::Start::Alone);
    EXPECT_FALSE(alone.error().isEmpty());
}

TEST_F(SingleInstanceTest, TheProgramStartedAgainHandsOverAndExitsZero)
{
    // The build tree's program folder is the folder of its executable, this test's too.
    const QString bin = QCoreApplication::applicationDirPath();
    ASSERT_TRUE(QFileInfo(bin + "/Chorvane").isExecutable());
    SingleInstance first(bin, runtime_.path());
    QList<QStringList> requests;
    QObject::connect(&first, &SingleInstance::activationRequested,
                     [&](const QStringList& files) { requests << files; });
    ASSERT_EQ(first.Claim({}), SingleInstance::Start::First);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(dir_.path());
    second.start(bin + "/Chorvane", {"Duet Song.mp3"});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(SpinUntil([&] { return second.state() == QProcess::NotRunning; }, 20000))
        << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    ASSERT_EQ(requests.size(), 1);
    // A relative name is made absolute where the second start was made.
    EXPECT_EQ(requests[0], QStringList({QDir(dir_.path()).filePath("Duet Song.mp3")}));
}

TEST(BringToFront, RestoresActivatesAndPutsTheFilesIntoTheFields)
{
    QTemporaryDir folder;
    ScopedEnv home("HOME", folder.path().toLocal8Bit());
    QStringList messages;
    message_box::SetSink([&](const QString& text) { messages << text; });
    {
        ProgramWindows windows(std::make_unique<mixer::FakeMixerLibraries>(true), folder.path().toStdString());
        TfrmMain& main = windows.frmMain();
        main.show();
        test_support::SpinFor(50);
        main.showMinimized();
        test_support::SpinFor(50);
        ASSERT_TRUE(main.isMinimized());

        const QString song = QDir(folder.path()).filePath("Duet Song.mp3");
        const QString lyrics = QDir(folder.path()).filePath("Duet Song.lrc");
        BringToFront(main, {lyrics, song});
        EXPECT_TRUE(SpinUntil([&] { return !main.isMinimized() && main.isActiveWindow(); }, 2000));
        EXPECT_TRUE(main.isVisible());
        EXPECT_EQ(main.EditKaraokeFile->text(), song);
        EXPECT_EQ(main.EditLRCFile->text(), lyrics);

        // Without files the fields keep what they hold.
        BringToFront(main, {});
        EXPECT_EQ(main.EditKaraokeFile->text(), song);
    }
    message_box::SetSink(nullptr);
}

TEST(StartOptions, FilesAreMadeAbsoluteAndTheTakeOptionsRead)
{
    const QString cwd = QDir::currentPath();
    const StartOptions plain = ParseStartOptions({"Chorvane"});
    EXPECT_TRUE(plain.files.isEmpty());
    EXPECT_FALSE(plain.sing);
    EXPECT_FALSE(plain.exitAfterTake);

    const StartOptions take =
        ParseStartOptions({"Chorvane", "--sing", "songs/../Duet Song.mp3", "/lyrics/Duet Song.lrc", "--exit-after-take"});
    EXPECT_TRUE(take.sing);
    EXPECT_TRUE(take.exitAfterTake);
    EXPECT_EQ(take.files, QStringList({QDir(cwd).filePath("Duet Song.mp3"), "/lyrics/Duet Song.lrc"}));
}
