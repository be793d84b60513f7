// The history list and its commands against real files in a temporary folder.
#include "ListViewHistory.h"
#include "UnitHistory.h"
#include "expected_stream.h"
#include "message_box.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class HistoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        // The desktop's trash of this test lies in its own folder.
        qputenv("HOME", dir_.path().toUtf8());
        qputenv("XDG_DATA_HOME", Path("data").toUtf8());
        history_.ListViewHistory->resize(175, 314);
        history_.SetFilePath(File());
    }

    QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    QString File() const { return Path("history.dat"); }
    QString MakeRecording(const QString& name) const
    {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ID3");
        return path;
    }
    static std::string Contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<none>");
    }
    // Names of the files in the trash of this test.
    QStringList Trashed() const
    {
        return QDir(Path("data/Trash/files")).entryList(QDir::Files);
    }

    QTemporaryDir dir_;
    QWidget page_;
    THistory history_{&page_};
};

}  // namespace

TEST_F(HistoryTest, CommandsSaveTheListByteForByte)
{
    history_.popMenuHistoryClearAllClick();
    EXPECT_EQ(Contents(File()), expected_stream::File({}));
    history_.LoadHistory(File());
    EXPECT_EQ(history_.RowCount(), 0);

    const QString a = Path("a.mp3");
    history_.AddHistoryEntry(a);
    history_.AddHistoryEntry("/music/take_01.mp3");
    EXPECT_EQ(Contents(File()), expected_stream::File({})) << "a take's row alone writes nothing";
    history_.SelectRow(0);
    history_.popMenuHistoryRemoveClick();
    EXPECT_EQ(Contents(File()), expected_stream::File({"/music/take_01.mp3"}));

    history_.TakeFinished(a);
    EXPECT_EQ(Contents(File()), expected_stream::File({"/music/take_01.mp3", a.toStdString()}));
    THistory reloaded(&page_);
    reloaded.LoadHistory(File());
    ASSERT_EQ(reloaded.RowCount(), 2);
    EXPECT_EQ(reloaded.RowPath(1), a);
    EXPECT_EQ(reloaded.ListViewHistory->model()->data(reloaded.ListViewHistory->model()->index(1, 0),
                                                      Qt::ToolTipRole), a);
}

TEST_F(HistoryTest, ALongPathIsListedInFullThenCutAndNeverDeletedThrough)
{
    // The cut path names another file that exists: it must survive.
    const QString full = MakeRecording(QString("deep/%1/%2.mp3").arg(QString(120, 'd'), QString(240, 'n')));
    ASSERT_GT(full.toUtf8().size(), 300);
    const QString cut = QString::fromUtf8(full.toUtf8().left(255));
    MakeRecording(cut.mid(dir_.path().size() + 1));
    history_.AddHistoryEntry(full);
    history_.popMenuHistoryClearAllClick();  // nothing selected needed; writes the empty list
    history_.AddHistoryEntry(full);
    history_.SaveHistory(File());
    EXPECT_EQ(history_.RowPath(0), full);

    THistory reloaded(&page_);
    reloaded.ListViewHistory->resize(175, 314);
    reloaded.SetFilePath(File());
    reloaded.LoadHistory(File());
    ASSERT_EQ(reloaded.RowPath(0), cut);
    EXPECT_TRUE(reloaded.RowMayBeCut(0));
    QSignalSpy edits(&reloaded, &THistory::editRequested);
    reloaded.SelectRow(0);
    reloaded.popMenuHistoryEditClick();
    reloaded.popMenuHistoryRemoveLocalFileClick();
    EXPECT_EQ(reloaded.RowCount(), 0);
    EXPECT_EQ(edits.count(), 0);
    EXPECT_TRUE(QFile::exists(full));
    EXPECT_TRUE(QFile::exists(cut));
    EXPECT_EQ(Contents(File()), expected_stream::File({}));
}

TEST_F(HistoryTest, TheCaptionSavedLastIsShownAfterALoad)
{
    history_.SetColumnCaption("Files");
    history_.SaveHistory(File());
    THistory chinese(&page_);
    chinese.SetColumnCaption("文件");
    chinese.LoadHistory(File());
    EXPECT_EQ(chinese.ColumnCaption(), "Files");
    EXPECT_EQ(chinese.ListViewHistory->horizontalHeader()->sectionSize(0), 170);
}

TEST_F(HistoryTest, RemovingWithoutASelectionWritesNothing)
{
    history_.AddHistoryEntry(MakeRecording("a.mp3"));
    history_.SelectRow(-1);
    history_.popMenuHistoryRemoveClick();
    history_.popMenuHistoryRemoveLocalFileClick();
    EXPECT_FALSE(QFile::exists(File()));
    EXPECT_EQ(history_.RowCount(), 1);
    EXPECT_TRUE(QFile::exists(Path("a.mp3")));
}

TEST_F(HistoryTest, RemoveLocalFileTrashesTheFileAndLeavesARowWithTheSamePath)
{
    const QString take = MakeRecording("takes/song.mp3");
    history_.AddHistoryEntry(take);
    history_.AddHistoryEntry(take);
    history_.SelectRow(0);
    history_.popMenuHistoryRemoveLocalFileClick();
    EXPECT_FALSE(QFile::exists(take));
    EXPECT_EQ(Trashed(), QStringList{"song.mp3"});
    ASSERT_EQ(history_.RowCount(), 1);
    EXPECT_EQ(history_.RowPath(0), take);
    EXPECT_EQ(Contents(File()), expected_stream::File({take.toStdString()}));

    // The file is gone now: the second removes its row and reports nothing.
    QSignalSpy messages(&history_, &THistory::message);
    history_.SelectRow(0);
    history_.popMenuHistoryRemoveLocalFile->trigger();
    EXPECT_EQ(history_.RowCount(), 0);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(HistoryTest, AFileThatCannotBeReadKeepsItsRowsAndSaysWhy)
{
    const std::string whole = expected_stream::File({"/a.mp3", "/b.mp3"});
    QFile f(File());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(whole.substr(0, whole.size() - 1)));
    f.close();
    try {
        history_.LoadHistory(File());
        ADD_FAILURE() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.text(), "Invalid stream format");
    }
    EXPECT_EQ(history_.RowCount(), 2);
    history_.LoadHistory(Path("missing.dat"));
    EXPECT_EQ(history_.RowCount(), 2);
}

TEST_F(HistoryTest, AFileThatCannotBeCreatedIsReportedAndTheOldOneStays)
{
    const QString blocked = Path("a.mp3/history.dat");  // its folder is a file
    MakeRecording("a.mp3");
    EXPECT_THROW(history_.SaveHistory(blocked), ProgramError);

    history_.SaveHistory(File());
    const std::string before = Contents(File());
    history_.SetFilePath(blocked);
    QSignalSpy messages(&history_, &THistory::message);
    history_.TakeFinished(Path("take.mp3"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages[0][0].toString().startsWith(QString("Cannot create file \"%1\".").arg(blocked)));
    EXPECT_EQ(history_.RowCount(), 1);
    EXPECT_EQ(Contents(File()), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter("history"), QStringList{"history.dat"});
}

TEST_F(HistoryTest, MenuKeysAndDoubleClickRunTheirCommands)
{
    QStringList names;
    for (QAction* a : history_.popMenuHistory->actions()) names << a->text();
    EXPECT_EQ(names, (QStringList{"Play", "Edit", "Remove", "Remove Local File", "Clear All"}));

    const QString take = MakeRecording("take.mp3");
    history_.AddHistoryEntry(take);
    history_.AddHistoryEntry(Path("gone.mp3"));
    QSignalSpy plays(&history_, &THistory::playRequested);
    QSignalSpy edits(&history_, &THistory::editRequested);
    history_.popMenuHistoryPlay->trigger();  // no selection
    history_.SelectRow(0);
    QTest::keyClick(history_.ListViewHistory, Qt::Key_Return);
    QTest::mouseDClick(history_.ListViewHistory->viewport(), Qt::LeftButton, {}, {5, 5});
    history_.popMenuHistoryEdit->trigger();
    history_.SelectRow(1);
    history_.popMenuHistoryEdit->trigger();  // its file does not exist
    ASSERT_EQ(plays.count(), 2);
    EXPECT_EQ(plays[1][0].toString(), take);
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits[0][0].toString(), take);

    QTest::keyClick(history_.ListViewHistory, Qt::Key_Delete);
    ASSERT_EQ(history_.RowCount(), 1);
    EXPECT_EQ(history_.RowPath(0), take);
    EXPECT_EQ(Contents(File()), expected_stream::File({take.toStdString()}));
}
