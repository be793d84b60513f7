// The song list tab inside the main window: the download at the first show, the
// history tab in front, and a download still running when the window closes.
#include "UnitMain.h"
#include "UnitSongTree.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "http_test_server.h"
#include "message_box.h"
#include "program_windows.h"
#include "scoped_env.h"
#include "song_list_download.h"
#include "song_tree_model.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

class SongTreeProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString());
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    TfrmMain& main() { return windows_->frmMain(); }
    QString ListPath() const { return QDir(folder_.path()).filePath("song_list.xml"); }

    QTemporaryDir folder_;
    ScopedEnv home_{"HOME", folder_.path().toLocal8Bit()};
    HttpTestServer server_;
    ScopedEnv address_{"CHORVANE_SONG_LIST_ADDRESS", server_.Url("/song_list.php").toUtf8()};
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace

TEST_F(SongTreeProgramTest, FirstShowDownloadsTheListIntoTheTreeBehindTheHistoryTab)
{
    const QByteArray list = "<root topic=\"Songs\" action=\"https://songs.example.org/\">"
                            "<a topic=\"A\" action=\"https://songs.example.org/a\"/></root>";
    server_.Set("/song_list.php", HttpTestServer::Body(200, list));
    main().show();
    ASSERT_TRUE(test_support::SpinUntil([&] { return main().SongTree->Model().NodeCount() == 2; }, 20000));
    EXPECT_EQ(server_.Requests().size(), 1);
    QFile saved(ListPath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), list);
    // The controls the language file names are found by their names.
    for (const char* name : {"TabSheetSongList", "TreeViewList", "EditSearch", "ButtonSearch"})
        EXPECT_NE(main().findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(main().EditSearch, main().SongTree->EditSearch);
    EXPECT_EQ(main().PageControl->tabText(0), "Songs");  // the English language file's caption
    EXPECT_EQ(main().PageControl->currentIndex(), 1);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(SongTreeProgramTest, ClosingDuringTheDownloadStopsIt)
{
    server_.Set("/song_list.php", HttpTestServer::Silent());
    main().show();
    ASSERT_TRUE(test_support::SpinUntil([&] { return server_.Requests().size() == 1; }, 20000));
    main().close();
    EXPECT_FALSE(main().SongTree->HTTPGetSongList().Running());
    EXPECT_TRUE(test_support::SpinUntil([&] { return server_.Closed() == 1; }, 10000));
    EXPECT_EQ(main().SongTree->Model().NodeCount(), 0);
    EXPECT_FALSE(QFile::exists(ListPath()));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}
