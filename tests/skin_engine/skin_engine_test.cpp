// The engine skins every window, the ones made later too, except those tagged 9999,
// and a file it cannot use leaves the look alone.
#include "skin_engine.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

constexpr QRgb kSkinRed = qRgb(200, 0, 0);

// A window with a button filling it, so that the button's colour is the window's.
struct Window {
    explicit Window(QWidget* parent = nullptr, Qt::WindowFlags flags = {}) : widget(parent, flags)
    {
        auto* layout = new QVBoxLayout(&widget);
        layout->setContentsMargins(0, 0, 0, 0);
        button = new QPushButton(QStringLiteral("OK"), &widget);
        button->setMinimumSize(80, 40);
        layout->addWidget(button);
    }
    // The colour the button shows near its corner, away from its caption.
    QRgb look() const { return button->grab().toImage().pixel(6, 6) & 0xffffff; }
    QWidget widget;
    QPushButton* button;
};

class SkinEngineTest : public testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString RedSkin() { return Write("Red.ssk", "QPushButton { background-color: rgb(200, 0, 0); border: none; }"); }

    QTemporaryDir folder_;
    SkinEngine engine_;
};

}  // namespace

TEST_F(SkinEngineTest, SkinsEveryWindowAndLaterDialogsButNeverATaggedWindowOrWhatItHolds)
{
    Window main;
    Window tagged(&main.widget, Qt::Dialog);
    tagged.widget.setProperty(SkinEngine::kTagProperty, SkinEngine::kUnskinnedTag);
    main.widget.show();
    tagged.widget.show();
    const QRgb native = tagged.look();
    ASSERT_NE(native, kSkinRed & 0xffffff);

    ASSERT_TRUE(engine_.SetSkinFile(RedSkin()));
    EXPECT_EQ(main.look(), kSkinRed & 0xffffff);
    EXPECT_EQ(tagged.look(), native);

    // Windows made after the skin: a message box and a dialog of the main window, a parentless
    // dialog, a popup menu of the tagged window, and a second tagged window inside the main one.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Chorvane"), QStringLiteral("Text"), QMessageBox::Ok,
                    &main.widget);
    Window dialog(&main.widget, Qt::Dialog);
    Window loose(nullptr, Qt::Dialog);
    QMenu menu(&tagged.widget);
    Window lateTagged(&main.widget, Qt::Dialog);
    lateTagged.widget.setProperty(SkinEngine::kTagProperty, SkinEngine::kUnskinnedTag);
    for (QWidget* w : {static_cast<QWidget*>(&box), &dialog.widget, &loose.widget, &lateTagged.widget}) w->show();
    menu.ensurePolished();

    EXPECT_TRUE(engine_.IsSkinned(box.button(QMessageBox::Ok)));
    EXPECT_EQ(dialog.look(), kSkinRed & 0xffffff);
    EXPECT_EQ(loose.look(), kSkinRed & 0xffffff);
    EXPECT_FALSE(engine_.IsSkinned(&menu));
    EXPECT_EQ(lateTagged.look(), native);
    EXPECT_EQ(main.look(), kSkinRed & 0xffffff);  // the main window kept its skin through the split
    EXPECT_EQ(tagged.look(), native);
}

TEST_F(SkinEngineTest, AFileItCannotUseLeavesTheLookAndAnEmptyOneRestoresTheDesktopLook)
{
    Window main;
    main.widget.show();
    const QRgb native = main.look();
    const QString red = RedSkin();
    ASSERT_TRUE(engine_.SetSkinFile(red));

    const QString unusable[] = {
        folder_.filePath("Missing.ssk"),
        Write("Latin1.ssk", "QPushButton { background-color: red; } /* caf\xe9 */"),
        Write("Broken.ssk", "QPushButton { background-color: "),
        folder_.path(),  // a folder, not a file
    };
    for (const QString& path : unusable) {
        QString error;
        EXPECT_FALSE(engine_.SetSkinFile(path, &error)) << path.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_EQ(engine_.SkinFile(), red);
        EXPECT_EQ(main.look(), kSkinRed & 0xffffff) << path.toStdString();
    }

    ASSERT_TRUE(engine_.SetSkinFile(Write("Empty.ssk", "/* the desktop's look */")));
    EXPECT_EQ(main.look(), native);
    EXPECT_TRUE(main.widget.styleSheet().isEmpty());
}
