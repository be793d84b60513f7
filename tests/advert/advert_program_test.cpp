// The advert panel inside the main window: in its group box at its size, loaded as the
// last step of the first show without holding the window up, its links opened through
// the shared services.
#include "UnitAdvert.h"
#include "UnitMain.h"
#include "Unit_common.h"
#include "advert_fetch.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "http_test_server.h"
#include "message_box.h"
#include "program_windows.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>

namespace {

class AdvertProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        message_box::SetSink([this](const QString& text) { messages_ << text; });
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString());
        windows_->frmCommon().SetOpener([this](const std::string& address) { opened_.push_back(address); });
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
    }
    TAdvertPanel& panel() { return *windows_->frmMain().WebBrowser; }

    QTemporaryDir folder_;
    ScopedEnv home_{"HOME", folder_.path().toLocal8Bit()};
    HttpTestServer server_;
    ScopedEnv address_{"CHORVANE_ADVERT_ADDRESS", server_.Url("/software-ad.php").toUtf8()};
    QStringList messages_;
    std::vector<std::string> opened_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace

TEST_F(AdvertProgramTest, TheFirstShowLoadsThePageWithoutWaitingForIt)
{
    server_.Set("/software-ad.php", HttpTestServer::Silent());
    TfrmMain& main = windows_->frmMain();
    EXPECT_EQ(main.findChild<QWidget*>("WebBrowser"), &panel());
    EXPECT_EQ(panel().parentWidget()->objectName(), "GroupBoxAD");
    EXPECT_EQ(panel().geometry(), QRect(4, 6, 337, 60));
    main.show();
    // The window is up while the server keeps silent; the tip stands in for the page.
    ASSERT_TRUE(test_support::SpinUntil([&] { return panel().Fetch().Running(); }, 10000));
    ASSERT_NE(panel().ShownTip(), nullptr);
    EXPECT_TRUE(panel().ShownTip()->isVisible());
    EXPECT_FALSE(panel().ShownTip()->text().isEmpty());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
}

TEST_F(AdvertProgramTest, ThePageShowsAndItsLinkOpensThroughTheSharedServices)
{
    server_.Set("/software-ad.php", [] {
        HttpTestServer::Answer page = HttpTestServer::Body(200, "<p>New songs every week: <a href=\"/songs\">see them</a></p>");
        page.type = "text/html";
        return page;
    }());
    QSignalSpy finished(&panel(), &TAdvertPanel::advertFinished);
    windows_->frmMain().show();
    ASSERT_TRUE(finished.size() == 1 || finished.wait(30000));
    ASSERT_TRUE(panel().PageShown());
    EXPECT_TRUE(panel().View->toPlainText().contains("New songs every week"));
    emit panel().View->anchorClicked(QUrl(server_.Url("/songs")));
    EXPECT_EQ(opened_, std::vector<std::string>{server_.Url("/songs").toStdString()});
    EXPECT_EQ(server_.Requests().size(), 1);
}
