// The player control on generated video files: frames painted into an owner widget,
// full-screen mode, input reaching the owner, and a video stream without a decoder.
#include "player_fixture.h"
#include "test_media.h"
#include "window_handles.h"
#include "window_message.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

using namespace player_test;

namespace {

// The program's display window as far as the player sees it.
class Owner : public QWidget {
public:
    Owner()
    {
        resize(323, 252);
        setStyleSheet("background: silver");
        setAutoFillBackground(true);
        show();
    }
    [[nodiscard]] HWND handle() { return window_handles::HandleFor(this); }
    int keys = 0;
    int doubleClicks = 0;
    int graphEvents = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::eventType() &&
            static_cast<WindowMessageEvent*>(e)->message() == mediagraph::WM_GRAPHNOTIFY) {
            ++graphEvents;
            return true;
        }
        return QWidget::event(e);
    }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
};

struct Rgb {
    int r, g, b;
};

bool Near(QRgb pixel, Rgb want)
{
    return std::abs(qRed(pixel) - want.r) < 45 && std::abs(qGreen(pixel) - want.g) < 45 &&
           std::abs(qBlue(pixel) - want.b) < 45;
}

std::string Describe(QRgb p)
{
    return "(" + std::to_string(qRed(p)) + "," + std::to_string(qGreen(p)) + "," + std::to_string(qBlue(p)) + ")";
}

// The SMPTE bars, 320x240 fitted into 323x252: 323x242 starting at y = 5, black above
// and below. `seen` receives the sampled pixels.
bool ShowsBars(QWidget& owner, std::string* seen = nullptr)
{
    const QImage shot = owner.grab().toImage();
    const Rgb bars[] = {{240, 240, 240}, {240, 240, 0}, {0, 240, 240}, {0, 240, 0},
                        {240, 0, 240},   {240, 0, 0},   {0, 0, 240}};
    bool all = true;
    for (int i = 0; i < 7; ++i) {
        const QRgb p = shot.pixel(static_cast<int>((i + 0.5) * 323 / 7), 80);
        if (seen) *seen += Describe(p);
        all = all && Near(p, bars[i]);
    }
    const QRgb top = shot.pixel(160, 1);
    const QRgb bottom = shot.pixel(160, 250);
    if (seen) *seen += " top " + Describe(top) + " bottom " + Describe(bottom);
    return all && Near(top, {0, 0, 0}) && Near(bottom, {0, 0, 0});
}

QWidget* FullScreenWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isFullScreen()) return w;
    return nullptr;
}

class PlayerVideo : public ::testing::Test {
protected:
    static void SetUpTestSuite() { media_ = new TestMedia(); }
    static void TearDownTestSuite()
    {
        delete media_;
        media_ = nullptr;
    }
    void SetUp() override { player = NewPlayer(); }
    void TearDown() override { player->Stop(); }

    void play(const std::string& file, Owner& owner)
    {
        player->SetFileName(file);
        player->SetVideoWindow(static_cast<LONG>(owner.handle()));
        player->Play();
    }

    static TestMedia* media_;
    ComPtr<INimDXVideoPlayerObject> player;
};

TestMedia* PlayerVideo::media_ = nullptr;

TEST_F(PlayerVideo, AviAndMpgFramesArePaintedScaledIntoTheOwner)
{
    const std::string files[] = {media_->barsAvi(), media_->barsMpg()};
    ASSERT_TRUE(media_->ok());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Owner owner;
        play(file, owner);
        EXPECT_EQ(Duration(player.get()), 3);
        std::string seen;
        EXPECT_TRUE(test_support::SpinUntil([&] { return ShowsBars(owner); }, 5000) || ShowsBars(owner, &seen))
            << seen;
        // The mouse reaches the owner through the video.
        EXPECT_EQ(owner.childAt(160, 126), nullptr);
        EXPECT_TRUE(test_support::SpinUntil([&] { return owner.graphEvents >= 1; }, 10000));
        LONG code = 0;
        player->GetHandleEvent(&code);
        EXPECT_EQ(code, 1);
        player->Stop();
        // Once the graph is gone the owner shows itself again.
        EXPECT_FALSE(ShowsBars(owner));
    }
}

TEST_F(PlayerVideo, FullScreenTogglesAndPassesInputToTheOwner)
{
    const std::string avi = media_->barsAvi();
    ASSERT_TRUE(media_->ok());
    Owner owner;
    play(avi, owner);
    VARIANT_BOOL full = 5;
    player->GetFullScreen(&full);
    EXPECT_EQ(full, VARIANT_FALSE);
    player->SetFullScreen(VARIANT_TRUE);
    player->GetFullScreen(&full);
    EXPECT_EQ(full, VARIANT_TRUE);
    QWidget* screen = FullScreenWindow();
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(screen, &owner);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(screen, &escape);
    EXPECT_EQ(owner.keys, 1);
    const QPointF centre(screen->width() / 2.0, screen->height() / 2.0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, screen->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(screen, &dbl);
    EXPECT_EQ(owner.doubleClicks, 1);

    player->SetFullScreen(VARIANT_FALSE);
    player->GetFullScreen(&full);
    EXPECT_EQ(full, VARIANT_FALSE);
    EXPECT_EQ(FullScreenWindow(), nullptr);
    EXPECT_TRUE(test_support::SpinUntil([&] { return ShowsBars(owner); }, 3000));
}

TEST_F(PlayerVideo, SetVideoWindowWaitsForTheNextPlay)
{
    const std::string mpg = media_->barsMpg();
    ASSERT_TRUE(media_->ok());
    Owner first;
    Owner second;
    play(mpg, first);
    ASSERT_TRUE(test_support::SpinUntil([&] { return ShowsBars(first); }, 5000));
    player->SetVideoWindow(static_cast<LONG>(second.handle()));
    test_support::SpinFor(400);
    EXPECT_TRUE(ShowsBars(first));
    EXPECT_FALSE(ShowsBars(second));
    player->Play();
    EXPECT_TRUE(test_support::SpinUntil([&] { return ShowsBars(second); }, 5000));
    EXPECT_FALSE(ShowsBars(first));
}

TEST_F(PlayerVideo, AudioFileLeavesTheOwnerUncoveredAndFullScreenDoesNothing)
{
    const std::string wav = media_->toneWav();
    ASSERT_TRUE(media_->ok());
    Owner owner;
    play(wav, owner);
    EXPECT_EQ(Duration(player.get()), 3);
    EXPECT_TRUE(owner.findChildren<QWidget*>().isEmpty());
    player->SetFullScreen(VARIANT_TRUE);
    VARIANT_BOOL full = 5;
    player->GetFullScreen(&full);
    EXPECT_EQ(full, VARIANT_FALSE);
    EXPECT_EQ(FullScreenWindow(), nullptr);
}

TEST_F(PlayerVideo, VideoWithoutADecoderStillPlaysItsSound)
{
    // Bars in AVI with the video's codec renamed to one no plug-in knows.
    QFile file(QString::fromStdString(media_->barsAvi()));
    ASSERT_TRUE(media_->ok());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    ASSERT_GE(bytes.count("MJPG"), 2);
    bytes.replace("MJPG", "QZX9");
    const std::string renamed = media_->file("unknown-codec.avi", bytes.toStdString());

    Owner owner;
    testing::internal::CaptureStderr();
    play(renamed, owner);
    EXPECT_TRUE(test_support::SpinUntil([&] { return Position(player.get()) >= 1; }, 4000));
    EXPECT_EQ(Duration(player.get()), 3);
    EXPECT_TRUE(test_support::SpinUntil([&] { return owner.graphEvents >= 1; }, 8000));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("plug-in"), std::string::npos) << said;
    LONG code = 0;
    player->GetHandleEvent(&code);
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(ShowsBars(owner));
}

}  // namespace
