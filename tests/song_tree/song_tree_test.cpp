// The song list tab against a local HTTP server and real files: download, save, fill,
// the errors the user sees, the node actions and the search box.
#include "TreeViewList.h"
#include "UnitSongTree.h"
#include "Unit_common.h"
#include "action_address.h"
#include "event_loop.h"
#include "http_test_server.h"
#include "message_box.h"
#include "song_list_download.h"
#include "song_tree_model.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// The nested list: a top node with two children, the first of them with one child.
const QByteArray kNestedList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<root topic=\"Songs\" action=\"https://songs.example.org/\">\r\n"
    "  <group topic=\"Pop\" action=\"https://songs.example.org/pop\">\r\n"
    "    <song topic=\"\xE5\x8D\xA1\xE6\x8B\x89\" action=\"https://songs.example.org/pop/1\" extra=\"x\"/>\r\n"
    "  </group>\r\n"
    "  <!-- a comment -->\r\n"
    "  <other topic=\"Mail\" action=\"mailto:songs@example.org\"/>\r\n"
    "</root>\r\n";

class SongTreeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        common_.SetOpener([this](const std::string& address) { opened_ << QString::fromStdString(address); });
        tree_.SetCommon(&common_);
        tree_.SetSongListAddress(server_.Url("/list"));
        tree_.TreeViewList->resize(175, 300);
        QObject::connect(&tree_, &TSongTree::message, [this](const QString& text) { messages_ << text; });
    }

    QString ListPath() const { return tree_.SongListPath(); }
    QByteArray SavedList() const
    {
        QFile f(ListPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void WriteList(const QByteArray& bytes) const
    {
        QFile f(ListPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Serves the bytes as the song list and runs one download to its end.
    bool Download(const HttpTestServer::Answer& answer)
    {
        server_.Set("/list", answer);
        return Download();
    }
    bool Download()
    {
        QSignalSpy finished(&tree_, &TSongTree::songListDownloadFinished);
        tree_.StartSongListDownload();
        EXPECT_TRUE(test_support::SpinUntil([&] { return finished.count() > 0; }, 20000));
        return !finished.isEmpty() && finished.first().first().toBool();
    }
    void Fill(const QByteArray& bytes)
    {
        WriteList(bytes);
        try {
            tree_.FillSongTree(ListPath());
        } catch (const ProgramError& e) {
            messages_ << e.text();
        }
    }
    QStringList Captions() const
    {
        QStringList captions;
        for (int i = 0; i < tree_.Model().NodeCount(); ++i) captions << tree_.Model().Node(i).caption;
        return captions;
    }
    QModelIndex Index(int node) const { return tree_.Model().IndexOfNode(node); }
    void Click(Qt::MouseButton button, const QModelIndex& index)
    {
        const QPoint at = index.isValid() ? tree_.TreeViewList->visualRect(index).center() : QPoint(100, 290);
        QTest::mouseClick(tree_.TreeViewList->viewport(), button, Qt::NoModifier, at);
    }

    QTemporaryDir dir_;
    TfrmCommon common_{dir_.path().toStdString(), dir_.path().toStdString()};
    HttpTestServer server_;
    QWidget page_;
    TSongTree tree_{&page_};
    QStringList opened_;
    QStringList messages_;
};

}  // namespace

TEST_F(SongTreeTest, ControlsCarryTheirNamesAndLooks)
{
    EXPECT_EQ(tree_.TabSheetSongList->objectName(), "TabSheetSongList");
    EXPECT_EQ(tree_.TabSheetSongList->windowTitle(), QString::fromUtf8("点歌台"));
    EXPECT_EQ(tree_.TreeViewList->objectName(), "TreeViewList");
    EXPECT_EQ(tree_.TreeViewList->indentation(), 19);
    EXPECT_EQ(tree_.TreeViewList->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(tree_.EditSearch->objectName(), "EditSearch");
    EXPECT_EQ(tree_.ButtonSearch->objectName(), "ButtonSearch");
    EXPECT_EQ(tree_.ButtonSearch->text(), QString::fromUtf8("搜伴奏"));
    EXPECT_TRUE(tree_.ButtonSearch->isDefault());
    const SongListLimits limits = tree_.HTTPGetSongList().Limits();
    EXPECT_EQ(limits.maxBytes, 4 * 1024 * 1024);
    EXPECT_EQ(limits.timeoutMs, 30000);
    EXPECT_EQ(limits.maxRedirects, 5);
}

TEST_F(SongTreeTest, NestedListIsSavedByteForByteAndFillsTheTreeExpanded)
{
    ASSERT_TRUE(Download(HttpTestServer::Body(200, kNestedList)));
    EXPECT_EQ(SavedList(), kNestedList);
    EXPECT_EQ(Captions(), (QStringList{"Songs", "Pop", QString::fromUtf8("卡拉"), "Mail"}));
    const SongTreeModel& model = tree_.Model();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowCount(Index(0)), 2);
    EXPECT_EQ(model.rowCount(Index(1)), 1);
    EXPECT_EQ(model.rowCount(Index(3)), 0);
    EXPECT_EQ(model.parent(Index(2)), Index(1));
    EXPECT_EQ(Index(3).data(SongTreeModel::ActionRole).toString(), "mailto:songs@example.org");
    EXPECT_TRUE(tree_.TreeViewList->isExpanded(Index(0)));
    EXPECT_TRUE(tree_.TreeViewList->isExpanded(Index(1)));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();

    ASSERT_EQ(server_.Requests().size(), 1);
    const QByteArray head = server_.Requests().first().head;
    EXPECT_TRUE(head.startsWith("GET /list HTTP/1.1\r\n")) << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nUser-Agent: UtilMind HTTPGet\r\n")) << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nAccept: */*\r\n")) << head.toStdString();
    EXPECT_TRUE(head.contains("\r\nCache-Control: no-cache\r\n")) << head.toStdString();

    // Each download replaces the file and refills the tree.
    const QByteArray shorter = "<root topic=\"Only\" action=\"http://x.example.org/\"/>";
    ASSERT_TRUE(Download(HttpTestServer::Body(200, shorter)));
    EXPECT_EQ(SavedList(), shorter);
    EXPECT_EQ(Captions(), QStringList{"Only"});
}

TEST_F(SongTreeTest, RedirectsAreFollowedUpToFive)
{
    server_.Set("/list", HttpTestServer::Redirect("/hop1"));
    for (int i = 1; i <= 6; ++i)
        server_.Set("/hop" + QByteArray::number(i), HttpTestServer::Redirect("/hop" + QByteArray::number(i + 1)));
    server_.Set("/hop5", HttpTestServer::Body(200, kNestedList));
    ASSERT_TRUE(Download());
    EXPECT_EQ(Captions().size(), 4);

    // Six hops are one too many: a failed download, nothing shown or saved again.
    server_.Set("/hop5", HttpTestServer::Redirect("/hop6"));
    server_.Set("/hop6", HttpTestServer::Body(200, "<root topic=\"late\" action=\"http://late.example.org/\"/>"));
    EXPECT_FALSE(Download());
    EXPECT_EQ(SavedList(), kNestedList);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SongTreeTest, DocumentElementNotNamedRootLeavesTheTreeEmptyQuietly)
{
    ASSERT_TRUE(Download(HttpTestServer::Body(200, "<songs topic=\"a\" action=\"http://a.example.org/\"><x topic=\"b\" action=\"c\"/></songs>")));
    EXPECT_EQ(tree_.Model().NodeCount(), 0);
    EXPECT_EQ(tree_.Model().rowCount(), 0);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SongTreeTest, MissingOrEmptyAttributeStopsTheFillingAndKeepsTheNodesBefore)
{
    const char* kConversion = "Could not convert variant of type (Null) into type (String)";
    for (const char* bad : {"<b topic=\"B\"/>", "<b action=\"http://b.example.org/\"/>", "<b topic=\"\" action=\"http://b/\"/>"}) {
        messages_.clear();
        ASSERT_TRUE(Download(HttpTestServer::Body(200, QByteArray("<root topic=\"R\" action=\"http://r.example.org/\">"
                                              "<a topic=\"A\" action=\"http://a.example.org/\"><a1 topic=\"A1\" action=\"http://a1/\"/></a>") +
                                   bad + "<c topic=\"C\" action=\"http://c.example.org/\"/></root>")));
        EXPECT_EQ(Captions(), (QStringList{"R", "A", "A1"})) << bad;
        EXPECT_EQ(messages_, QStringList{kConversion}) << bad;
        EXPECT_FALSE(tree_.TreeViewList->isExpanded(Index(0))) << bad;
    }
}

TEST_F(SongTreeTest, ListThatIsNotWellFormedShowsTheParserErrorAndAnEmptyTree)
{
    ASSERT_TRUE(Download(HttpTestServer::Body(200, kNestedList)));
    // An element without its action comes first, the fault later: the fault is what counts.
    ASSERT_TRUE(Download(HttpTestServer::Body(200, "<root topic=\"R\" action=\"http://r/\"><a topic=\"A\"/><b></c></root>")));
    EXPECT_EQ(tree_.Model().NodeCount(), 0);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().contains("Line: 1")) << messages_.first().toStdString();
    EXPECT_FALSE(messages_.first().contains("convert")) << messages_.first().toStdString();
}

TEST_F(SongTreeTest, ListNestedTooDeepIsRefusedWithoutExhaustingTheStack)
{
    auto nested = [](int depth) {
        QByteArray xml;
        for (int i = 0; i < depth; ++i) xml += (i == 0 ? "<root" : "<n") + QByteArray(" topic=\"t\" action=\"http://a/\">");
        for (int i = depth - 1; i >= 0; --i) xml += i == 0 ? "</root>" : "</n>";
        return xml;
    };
    Fill(nested(10000));
    EXPECT_EQ(tree_.Model().NodeCount(), 0);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().contains("nested deeper than 256")) << messages_.first().toStdString();

    messages_.clear();
    Fill(nested(256));
    EXPECT_EQ(tree_.Model().NodeCount(), 256);
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_TRUE(tree_.TreeViewList->isExpanded(Index(254)));
}

TEST_F(SongTreeTest, FailedDownloadsKeepTheSavedFileAndReportNothing)
{
    const QByteArray previous = "<root topic=\"Before\" action=\"http://before/\"/>";
    WriteList(previous);
    // A server error page, a missing page, an empty body.
    EXPECT_FALSE(Download(HttpTestServer::Body(500, "<html><body>Internal Server Error</body></html>")));
    EXPECT_FALSE(Download(HttpTestServer::Body(404, "<root topic=\"Gone\" action=\"http://gone/\"/>")));
    EXPECT_FALSE(Download(HttpTestServer::Body(200, {})));
    // Bodies past 4 MiB, announced or not.
    const QByteArray big(5 * 1024 * 1024, 'x');
    EXPECT_FALSE(Download(HttpTestServer::Body(200, big, true)));
    EXPECT_FALSE(Download(HttpTestServer::Body(200, big, false)));
    EXPECT_EQ(SavedList(), previous);
    EXPECT_EQ(tree_.Model().NodeCount(), 0);
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SongTreeTest, NoServerLeavesTheTreeEmptyWithoutAMessage)
{
    quint16 port = 0;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
        port = closed.serverPort();
    }
    tree_.SetSongListAddress(QStringLiteral("http://127.0.0.1:%1/list").arg(port));
    EXPECT_FALSE(Download());
    EXPECT_EQ(tree_.Model().NodeCount(), 0);
    EXPECT_FALSE(QFile::exists(ListPath()));
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SongTreeTest, SilentServerIsGivenUpAfterTheTimeCapWhileTheWindowGoesOn)
{
    SongListLimits limits;
    limits.timeoutMs = 1500;
    tree_.HTTPGetSongList().SetLimits(limits);
    server_.Set("/list", HttpTestServer::Silent());
    QSignalSpy finished(&tree_, &TSongTree::songListDownloadFinished);
    bool uiRan = false;
    QTimer::singleShot(0, [&] { uiRan = finished.isEmpty(); });
    tree_.StartSongListDownload();
    EXPECT_TRUE(tree_.HTTPGetSongList().Running());
    // A second start while one runs does nothing.
    tree_.StartSongListDownload();
    ASSERT_TRUE(test_support::SpinUntil([&] { return finished.count() > 0; }, 20000));
    EXPECT_TRUE(uiRan);  // the window's own events went on during the download
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_EQ(server_.Requests().size(), 1);
    EXPECT_FALSE(QFile::exists(ListPath()));
}

TEST_F(SongTreeTest, DownloadStoppedAtCloseIsNotHandled)
{
    server_.Set("/list", HttpTestServer::Silent());
    QSignalSpy finished(&tree_, &TSongTree::songListDownloadFinished);
    tree_.StartSongListDownload();
    ASSERT_TRUE(test_support::SpinUntil([&] { return server_.Requests().size() == 1; }, 10000));
    tree_.StopSongListDownload();
    EXPECT_FALSE(tree_.HTTPGetSongList().Running());
    // The download gives its connection up; nothing of it is saved or shown.
    EXPECT_TRUE(test_support::SpinUntil([&] { return server_.Closed() == 1; }, 10000));
    test_support::SpinFor(100);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(QFile::exists(ListPath()));
    // A later start runs a download of its own.
    server_.Set("/list", HttpTestServer::Body(200, kNestedList));
    EXPECT_TRUE(Download());
}

TEST_F(SongTreeTest, WriteErrorIsShownAndTheTreeIsNotRefilled)
{
    Fill(kNestedList);
    ASSERT_EQ(tree_.Model().NodeCount(), 4);
    // The song list's place is taken by a folder, which no file can replace.
    QFile::remove(ListPath());
    ASSERT_TRUE(QDir().mkpath(ListPath()));
    ASSERT_TRUE(Download(HttpTestServer::Body(200, "<root topic=\"New\" action=\"http://new/\"/>")));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().startsWith("Cannot create file \"" + ListPath() + "\".")) << messages_.first().toStdString();
    EXPECT_EQ(tree_.Model().NodeCount(), 4);
}

TEST_F(SongTreeTest, AnyButtonReleasedOverTheTreeOpensTheSelectedNode)
{
    Fill(kNestedList);
    tree_.TreeViewList->show();
    Click(Qt::LeftButton, Index(1));
    EXPECT_EQ(opened_, QStringList{"https://songs.example.org/pop"});
    Click(Qt::RightButton, Index(3));
    EXPECT_EQ(opened_.last(), "mailto:songs@example.org");
    // Below the last node: the node selected before opens again.
    Click(Qt::MiddleButton, {});
    EXPECT_EQ(opened_, (QStringList{"https://songs.example.org/pop", "mailto:songs@example.org", "mailto:songs@example.org"}));
}

TEST_F(SongTreeTest, ActionsThatAreNotWebOrMailAddressesOpenNothing)
{
    Fill("<root topic=\"R\" action=\"file:///etc/passwd\"><a topic=\"A\" action=\"/usr/bin/xterm\"/></root>");
    tree_.TreeViewList->show();
    Click(Qt::LeftButton, Index(0));
    Click(Qt::RightButton, Index(1));
    EXPECT_TRUE(opened_.isEmpty()) << opened_.join(" ").toStdString();

    for (const char* refused : {"file:///etc/passwd", "/usr/bin/xterm", "xterm", "./run.sh", "-x", "ftp://a.example.org/",
                                "javascript:alert(1)", "smb://host/share", "http:/etc/passwd", "https://", " http://a.example.org/",
                                "mailto:a@example.org?attach=/etc/passwd", "mailto:a@example.org?ATTACHMENT=%2Fetc"})
        EXPECT_FALSE(song_list::IsOpenableAction(QString::fromLatin1(refused))) << refused;
    for (const char* accepted : {"http://a.example.org/", "HTTPS://A.example.org/x?y=1", "mailto:a@example.org",
                                 "mailto:a@example.org?subject=hi"})
        EXPECT_TRUE(song_list::IsOpenableAction(QString::fromLatin1(accepted))) << accepted;
}

TEST_F(SongTreeTest, EnterInTheSearchBoxOpensTheSearchPageWithTheEncodedWords)
{
    const QString page = QString::fromStdString(common_.SearchPageAddress());
    page_.show();
    tree_.EditSearch->setText(QString::fromUtf8("卡拉 OK"));
    QTest::keyClick(tree_.EditSearch, Qt::Key_Return);
    EXPECT_EQ(opened_, QStringList{page + "?keyword=%BF%A8%C0%AD+OK"});
    tree_.EditSearch->clear();
    tree_.ButtonSearch->click();
    EXPECT_EQ(opened_.last(), page + "?keyword=");
}
