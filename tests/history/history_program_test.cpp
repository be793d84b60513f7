// The history in the program: loaded at the first show, saved at close and after
// every take, Play through the shared services.
#include "UnitHistory.h"
#include "UnitMain.h"
#include "Unit_common.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "list_view_stream.h"
#include "media_tools.h"
#include "message_box.h"
#include "program_windows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

class HistoryInProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        message_box::SetSink([this](const QString& text) { messages_ << text; });
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    void Start()
    {
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString());
        main().show();
        ASSERT_TRUE(test_support::SpinUntil([this] { return main().firstShowFinished(); }, 30000));
    }
    TfrmMain& main() { return windows_->frmMain(); }
    QString HistoryFile() const { return QDir(folder_.path()).filePath("history.dat"); }
    void WriteHistory(const std::string& bytes) const
    {
        QFile f(HistoryFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::vector<std::string> SavedRows() const
    {
        QFile f(HistoryFile());
        if (!f.open(QIODevice::ReadOnly)) return {"<no file>"};
        const QByteArray bytes = f.readAll();
        const auto read = list_view_stream::Read(std::string_view(bytes.constData(), bytes.size()));
        std::vector<std::string> rows;
        for (const auto& r : read.rows.value_or(std::vector<list_view_stream::Row>{})) rows.emplace_back(r.caption);
        return rows;
    }

    QTemporaryDir folder_;
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace

TEST_F(HistoryInProgramTest, TheFirstShowLoadsTheHistoryAndPlayOpensThroughTheSharedServices)
{
    list_view_stream::ListView list;
    list.columns = {{"Files", 170}};
    list.rows.resize(1);
    list.rows[0].caption = "/music/take_01.mp3";
    WriteHistory(list_view_stream::Write(list));
    Start();
    ASSERT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    ASSERT_EQ(main().History->RowCount(), 1);

    std::vector<std::string> opened;
    windows_->frmCommon().SetOpener([&](const std::string& address) { opened.push_back(address); });
    main().History->SelectRow(0);
    main().History->popMenuHistoryPlay->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{"/music/take_01.mp3"});
}

TEST_F(HistoryInProgramTest, AnUnreadableHistoryIsToldAtTheFirstShow)
{
    WriteHistory("TPF0 not a list");
    Start();
    EXPECT_EQ(messages_, QStringList{"Invalid stream format"});
    EXPECT_TRUE(main().isVisible());
}

TEST_F(HistoryInProgramTest, CloseSavesTheHistoryAndStaysOpenWhenItCannot)
{
    Start();
    main().History->AddHistoryEntry("/music/a.mp3");
    ASSERT_TRUE(QDir().mkdir(HistoryFile()));  // a folder where the file should be
    main().close();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith(QString("Cannot create file \"%1\".").arg(HistoryFile())))
        << messages_[0].toStdString();
    EXPECT_TRUE(main().isVisible());

    ASSERT_TRUE(QDir().rmdir(HistoryFile()));
    main().close();
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(SavedRows(), std::vector<std::string>{"/music/a.mp3"});
}

TEST_F(HistoryInProgramTest, AProgramKilledAfterATakeKeepsItsRow)
{
    const QString takes = QDir(folder_.path()).filePath("takes");
    QDir().mkpath(folder_.path() + "/language");
    QFile config(folder_.path() + "/config.ini");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("[recorder_setting]\nfolder=%1\n[mp3]\nbitrate=8\n").arg(takes).toUtf8());
    config.close();
    const QString accompaniment = QDir(folder_.path()).filePath("Short Song.mp3");
    ASSERT_TRUE(media_tools::MakeToneMp3(accompaniment, 1.5, 440, 660));

    QProcess program;
    program.start(TAKE_AND_WAIT, {folder_.path(), accompaniment});
    ASSERT_TRUE(program.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(test_support::SpinUntil([&] {
        program.waitForReadyRead(10);
        out += program.readAllStandardOutput();
        return out.contains("finished") || program.state() == QProcess::NotRunning;
    }, 60000));
    ASSERT_TRUE(out.contains("finished")) << program.readAllStandardError().toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGKILL), 0);
    ASSERT_TRUE(program.waitForFinished());
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);

    const QStringList recorded = QDir(takes).entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(SavedRows(), std::vector<std::string>{QDir(takes).filePath(recorded[0]).toStdString()});
}
