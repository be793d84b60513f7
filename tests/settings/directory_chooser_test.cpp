// The folder chooser: folders only, what OK, Cancel, Escape and the close button leave.
#include "Unit_common_directory.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

TEST(DirectoryChooser, OkGivesTheSelectedFolderCancelEscapeAndCloseDoNot)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("songs/new");
    QFile file(QDir(dir.path()).filePath("songs/a file.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    TFrmDirectory chooser;
    EXPECT_EQ(chooser.size(), QSize(401, 306));
    EXPECT_EQ(chooser.windowTitle(), "Choose a directory");
    ASSERT_TRUE(chooser.SelectFolder(dir.path() + "/songs"));
    QTreeWidgetItem* songs = chooser.ShellTreeView1->currentItem();
    songs->setExpanded(true);
    ASSERT_EQ(songs->childCount(), 1);  // the file is not listed
    EXPECT_EQ(songs->child(0)->text(0), "new");

    chooser.show();
    chooser.ButtonOK->click();
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.chosenFolder(), dir.path() + "/songs");

    chooser.show();
    chooser.close();  // the window's close button: Cancel, the folder as it was
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
    EXPECT_EQ(chooser.chosenFolder(), dir.path() + "/songs");

    chooser.show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&chooser, &escape);
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
    EXPECT_EQ(chooser.chosenFolder(), "");

    chooser.show();
    chooser.ShellTreeView1->clearSelection();
    chooser.ButtonOK->click();
    EXPECT_EQ(chooser.chosenFolder(), "");  // nothing selected
}
