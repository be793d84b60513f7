// config.ini's recorder keys: what is read, what is written (and what is left alone),
// and the buffer size rule.
#include "message_box.h"
#include "profile.h"
#include "recorder_values.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace recorder_settings;

namespace {

// Files may not grow past `bytes` while this lives; writes past it fail with EFBIG.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~ScopedFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString ErrorOf(const QString& text)
{
    try {
        (void)ParseBufferSize(text);
    } catch (const ProgramError& e) {
        return e.text();
    }
    return {};
}

}  // namespace

TEST(RecorderValues, MissingFileGivesDefaultsAndBadIndexesGiveTheTablesDefaultEntries)
{
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath("config.ini");
    const StoredSettings none = Read(config.toStdString());
    EXPECT_EQ(none.bufferSize, 16384);
    EXPECT_TRUE(none.folder.isEmpty());
    EXPECT_FALSE(none.autoRun);
    EXPECT_TRUE(none.autoConfig);
    const WorkingValues d = ToWorkingValues(none);
    EXPECT_EQ(std::tuple(d.mixerIndex, d.samplesPerSec, d.channels, d.bitsPerSample, d.mp3BitRate),
              std::tuple(0, 44100, 2, 16, 128));

    WriteAll(config, "[MP3]\nbitrate=13\n[wav]\nfrequency=0\nchannels=0\nbitsPerSample=7\n"
                     "[recorder_setting]\ndriver=0x2\nautoConfig=5\nbuffer_size=abc\n");
    const StoredSettings s = Read(config.toStdString());
    EXPECT_EQ(s.bufferSize, 16384);  // not a number: the default
    EXPECT_TRUE(s.autoConfig);       // any non-zero number is true
    const WorkingValues v = ToWorkingValues(s);
    EXPECT_EQ(std::tuple(v.mixerIndex, v.samplesPerSec, v.channels, v.bitsPerSample, v.mp3BitRate),
              std::tuple(2, 8000, 1, 16, 320));  // index 7 is outside the sample-size table

    StoredSettings unselected;
    unselected.frequency = unselected.channels = unselected.bitsPerSample = unselected.bitrate = -1;
    const WorkingValues u = ToWorkingValues(unselected);
    EXPECT_EQ(std::tuple(u.samplesPerSec, u.channels, u.bitsPerSample, u.mp3BitRate), std::tuple(44100, 2, 16, 128));
}

TEST(RecorderValues, WriteRewritesOnlyItsKeysAndKeepsEveryOtherByte)
{
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath("config.ini");
    WriteAll(config, "; my comment\r\n[skin]\r\nskin=4\r\n\r\n[Recorder_Setting]\r\nFolder=/old\r\nextra=keep me\r\n"
                     "\r\n[common]\r\nlanguage=1\r\n");
    StoredSettings s;
    s.driver = -1;
    s.frequency = 11;
    s.folder = QStringLiteral("/music/takes");
    s.bufferSize = 8192;
    s.autoRun = true;
    s.autoConfig = false;
    Write(config.toStdString(), s);
    const QByteArray after = ReadAll(config);
    EXPECT_TRUE(after.startsWith("; my comment\r\n[skin]\r\nskin=4\r\n\r\n[Recorder_Setting]\r\n")) << after.constData();
    EXPECT_TRUE(after.contains("Folder=/music/takes")) << after.constData();
    EXPECT_TRUE(after.contains("extra=keep me")) << after.constData();
    EXPECT_TRUE(after.contains("[common]\r\nlanguage=1\r\n")) << after.constData();
    const StoredSettings back = Read(config.toStdString());
    EXPECT_EQ(back.driver, -1);
    EXPECT_EQ(back.frequency, 11);
    EXPECT_EQ(back.folder, s.folder);
    EXPECT_EQ(back.bufferSize, 8192);
    EXPECT_TRUE(back.autoRun);
    EXPECT_FALSE(back.autoConfig);

    // A second save of the same values changes no byte.
    Write(config.toStdString(), s);
    EXPECT_EQ(ReadAll(config), after);
}

TEST(RecorderValues, WriteIntoAnEmptyFolderFollowsTheKeyOrder)
{
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath("config.ini");
    Write(config.toStdString(), StoredSettings{});
    const QByteArray text = ReadAll(config);
    const QList<QByteArray> order{"driver=0", "[wav]", "frequency=7", "channels=1", "bitsPerSample=1", "[mp3]",
                                  "bitrate=8", "folder=", "buffer_size=16384", "autoRun=0", "autoConfig=1"};
    for (const QByteArray& part : order) EXPECT_TRUE(text.contains(part)) << part.constData();
    EXPECT_LT(text.indexOf("[wav]"), text.indexOf("[mp3]"));
    EXPECT_LT(text.indexOf("frequency"), text.indexOf("bitsPerSample"));
}

TEST(RecorderValues, BufferSizeTextMustBeAnIntegerTheCaptureCanUse)
{
    EXPECT_EQ(ErrorOf(""), "'' is not a valid integer value");
    EXPECT_EQ(ErrorOf("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(ErrorOf(" 4096"), "' 4096' is not a valid integer value");
    EXPECT_EQ(ErrorOf("2147483648"), "'2147483648' is not a valid integer value");
    for (const char* outside : {"1023", "0", "-4096", "16777217"}) {
        const QString error = ErrorOf(outside);
        EXPECT_TRUE(error.contains("1024") && error.contains("16777216")) << error.toStdString();
    }
    EXPECT_EQ(ParseBufferSize("1024"), 1024);
    EXPECT_EQ(ParseBufferSize("16777216"), 16777216);
    EXPECT_EQ(ParseBufferSize("+8192"), 8192);
}

// A save that fails part-way (the file may not grow past a limit, as on a full disk):
// the keys before the failing one stay written, the rest are not.
TEST(RecorderValues, ASaveThatFailsPartWayKeepsTheEarlierKeysOnly)
{
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath("config.ini");
    WriteAll(config, "[recorder_setting]\ndriver=0\nfolder=\nbuffer_size=16384\n");
    const std::string path = config.toStdString();
    StoredSettings s;
    s.driver = 1;
    s.folder = QString(400, QLatin1Char('f'));  // this key pushes the file past the limit
    s.bitrate = 10;
    s.bufferSize = 8192;
    {
        const ScopedFileSizeLimit limit(ReadAll(config).size() + 200);
        EXPECT_THROW(Write(path, s), profile::WriteError);
    }
    EXPECT_EQ(profile::ReadInteger(path, "recorder_setting", "driver", -5), 1);
    EXPECT_EQ(profile::ReadString(path, "recorder_setting", "folder", "?"), "");
    EXPECT_EQ(profile::ReadInteger(path, "recorder_setting", "buffer_size", -5), 16384);
    EXPECT_EQ(profile::ReadInteger(path, "mp3", "bitrate", -5), 10);  // written before the folder
}
