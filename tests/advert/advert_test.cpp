// The advert panel against a loopback HTTP server: the page shows, its web links open
// through the shell and nothing else does; an address that does not answer, a page too
// big, of another kind or too slow leaves our own tip; the page's colours give way to
// the skin's.
#include "UnitAdvert.h"
#include "Unit_common.h"
#include "advert_fetch.h"
#include "advert_page.h"
#include "codepage.h"
#include "http_test_server.h"
#include "language_loader.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

HttpTestServer::Answer Page(const QByteArray& type, const QByteArray& body, bool announceLength = true)
{
    HttpTestServer::Answer answer = HttpTestServer::Body(200, body, announceLength);
    answer.type = type;
    return answer;
}

double Luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

class AdvertPanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        QFile config(folder_.filePath("config.ini"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[common]\nlanguage=2\n");
        config.close();
        common_ = std::make_unique<TfrmCommon>(folder_.path().toStdString(), std::string(CHORVANE_SOURCE_DIR) + "/Chorvane");
        common_->SetOpener([this](const std::string& address) { opened_.push_back(address); });
        window_.setObjectName(QStringLiteral("frmMain"));
        window_.resize(TAdvertPanel::kWidth, TAdvertPanel::kHeight);
    }

    // A panel of a run of its own, with the texts of the English file, on show.
    TAdvertPanel& NewPanel(const QString& address)
    {
        delete panel_;
        panel_ = new TAdvertPanel(&window_);
        panel_->SetCommon(common_.get());
        panel_->SetAdvertAddress(address);
        TLanguageLoader loader(&window_);
        loader.ApplyLanguage(common_->LanguageFilePath());
        panel_->show();
        window_.show();
        return *panel_;
    }

    // LoadAdvert and its end: whether the page shows.
    static bool Load(TAdvertPanel& panel)
    {
        QSignalSpy finished(&panel, &TAdvertPanel::advertFinished);
        panel.LoadAdvert();
        if (finished.isEmpty() && !finished.wait(30000)) return false;
        EXPECT_EQ(finished.size(), 1);
        return finished.first().first().toBool();
    }

    static void Click(TAdvertPanel& panel, const QString& text)
    {
        const QTextCursor found = panel.View->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor at(panel.View->document());
        at.setPosition(found.selectionStart() + 1);
        panel.View->setTextCursor(at);
        panel.View->ensureCursorVisible();
        const QPoint point = panel.View->cursorRect(at).center() + QPoint(2, 0);
        QTest::mouseClick(panel.View->viewport(), Qt::LeftButton, {}, point);
    }

    static void ExpectTip(TAdvertPanel& panel, const std::string& what)
    {
        EXPECT_FALSE(panel.PageShown()) << what;
        QLabel* tip = panel.ShownTip();
        ASSERT_NE(tip, nullptr) << what;
        EXPECT_TRUE(tip->isVisible()) << what;
        EXPECT_TRUE(tip->text().startsWith(QStringLiteral("Tip: "))) << what << ": " << tip->text().toStdString();
        EXPECT_TRUE(panel.View->toPlainText().isEmpty()) << what;
    }

    QTemporaryDir folder_;
    std::unique_ptr<TfrmCommon> common_;
    std::vector<std::string> opened_;
    QWidget window_;
    TAdvertPanel* panel_ = nullptr;
    HttpTestServer server_;
};

TEST_F(AdvertPanelTest, ShowsThePageOnceAndOpensOnlyItsWebLinks)
{
    server_.Set("/software-ad.php", HttpTestServer::Redirect(server_.Url("/ads/today").toUtf8()));
    server_.Set("/ads/today", Page("text/html; charset=utf-8",
                                   "<html><head><script>document.write('Scripted')</script></head><body><p>Sing tonight <a href=\"offer.htm\">Offer</a> "
                                   "<a href=\"javascript:alert(1)\">Script</a> <a href=\"file:///etc/passwd\">Local</a> "
                                   "<a href=\"mailto:a@b.example\">Mail</a></p></body></html>"));
    TAdvertPanel& panel = NewPanel(server_.Url("/software-ad.php"));
    EXPECT_EQ(panel.objectName(), "WebBrowser");
    EXPECT_EQ(panel.size(), QSize(337, 60));
    ASSERT_TRUE(Load(panel));
    EXPECT_TRUE(panel.PageShown());
    EXPECT_EQ(panel.ShownTip(), nullptr);
    for (QLabel* tip : panel.Tips) EXPECT_FALSE(tip->isVisible());
    EXPECT_TRUE(panel.View->toPlainText().startsWith("Sing tonight"));
    EXPECT_FALSE(panel.View->toPlainText().contains("Scripted"));

    // A relative link goes to the address the page came from in the end.
    Click(panel, "Offer");
    EXPECT_EQ(opened_, std::vector<std::string>{server_.Url("/ads/offer.htm").toStdString()});
    for (const char* other : {"Script", "Local", "Mail"}) Click(panel, other);
    EXPECT_EQ(opened_.size(), 1u);

    // Once per run: a second call fetches nothing.
    panel.LoadAdvert();
    EXPECT_FALSE(panel.Fetch().Running());
    QTest::qWait(100);
    EXPECT_EQ(server_.Requests().size(), 2);
    EXPECT_TRUE(panel.PageShown());
}

TEST_F(AdvertPanelTest, WithoutAnAddressThatAnswersTheTipShows)
{
    QTcpServer refused;
    ASSERT_TRUE(refused.listen(QHostAddress::LocalHost, 0));
    const quint16 port = refused.serverPort();
    refused.close();
    ExpectTip(NewPanel(QStringLiteral("http://127.0.0.1:%1/software-ad.php").arg(port)), "before the load");
    EXPECT_FALSE(Load(*panel_));
    ExpectTip(*panel_, "refused");

    for (const char* address : {"file:///etc/hostname", "javascript:alert(1)", "ftp://127.0.0.1/ad"}) {
        EXPECT_FALSE(Load(NewPanel(QString::fromLatin1(address)))) << address;
        ExpectTip(*panel_, address);
    }
    // Tests go to no web site: the variable, set and empty, takes the address away.
    ScopedEnv none("CHORVANE_ADVERT_ADDRESS", "");
    EXPECT_FALSE(Load(NewPanel(QString())));
    ExpectTip(*panel_, "no address");
    EXPECT_TRUE(opened_.empty());
}

TEST_F(AdvertPanelTest, APageTooBigOfAnotherKindOrTooSlowLeavesTheTip)
{
    const QByteArray line = QByteArray(63, 'a') + '\n';
    const QByteArray mebibyte = line.repeated(1024 * 1024 / line.size());
    ASSERT_EQ(mebibyte.size(), 1024 * 1024);
    server_.Set("/whole", Page("text/plain", mebibyte, false));
    server_.Set("/big", Page("text/html", mebibyte + "a"));
    server_.Set("/big-unannounced", Page("text/html", mebibyte + "a", false));
    server_.Set("/image", Page("image/png", "\x89PNG\r\n"));
    server_.Set("/xml", Page("text/xml", "<ad>Sing</ad>"));
    HttpTestServer::Answer missing = HttpTestServer::Body(404, "<p>Not here</p>");
    missing.type = "text/html";
    server_.Set("/missing", missing);
    server_.Set("/blank", Page("text/html", "<html><body> </body></html>"));
    server_.Set("/silent", HttpTestServer::Silent());

    // Exactly the cap is a page.
    ASSERT_TRUE(Load(NewPanel(server_.Url("/whole"))));
    EXPECT_TRUE(panel_->View->toPlainText().startsWith(QString::fromLatin1(line.trimmed())));

    for (const char* path : {"/big", "/big-unannounced", "/image", "/xml", "/missing", "/blank", "/silent"}) {
        TAdvertPanel& panel = NewPanel(server_.Url(path));
        panel.Fetch().SetLimits({.timeoutMs = 300});
        EXPECT_FALSE(Load(panel)) << path;
        ExpectTip(panel, path);
    }
}

TEST_F(AdvertPanelTest, ThePageColoursGiveWayToTheSkin)
{
    QFile skin(QStringLiteral(CHORVANE_SOURCE_DIR "/Chorvane/skins/SportsBlack.ssk"));
    ASSERT_TRUE(skin.open(QIODevice::ReadOnly));
    window_.setStyleSheet(QString::fromUtf8(skin.readAll()));
    // Black on the skin's black, and a style sheet and an image that would never end if they were read.
    server_.Set("/ad", Page("text/html",
                            "<html><head><link rel=\"stylesheet\" href=\"/dev/zero\"></head>"
                            "<body text=\"#000000\" bgcolor=\"#000000\"><font color=\"#000000\">"
                            "<b>SING SING SING</b> <a href=\"/x\">OFFER</a><img src=\"/dev/zero\" width=\"20\" "
                            "height=\"20\"><span style=\"background-color:#000000\">WWW</span></font></body></html>"));
    ASSERT_TRUE(Load(NewPanel(server_.Url("/ad"))));
    const QImage drawn = panel_->View->viewport()->grab().toImage();
    const double background = Luminance(drawn.pixel(drawn.width() - 3, drawn.height() - 3));
    double best = 1;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const double l = Luminance(drawn.pixel(x, y));
            best = std::max(best, (std::max(l, background) + 0.05) / (std::min(l, background) + 0.05));
        }
    EXPECT_GE(best, 4.5);
}

TEST(AdvertPage, DecodesUtf8AndTheGbkOfChinesePages)
{
    const QString words = QString::fromUtf8("卡拉OK之夜");
    const QByteArray gbk = QByteArray::fromStdString(codepage::Utf8ToGbk(words.toStdString()));
    EXPECT_EQ(advert::DecodePage(gbk, "text/html; charset=GB2312"), words);
    EXPECT_EQ(advert::DecodePage("<meta charset=\"gbk\">" + gbk, "text/html"), "<meta charset=\"gbk\">" + words);
    EXPECT_EQ(advert::DecodePage(gbk, "text/plain"), words);  // no declaration, not UTF-8
    EXPECT_EQ(advert::DecodePage(words.toUtf8(), "text/html"), words);
    EXPECT_EQ(advert::DecodePage(QByteArray("caf\xe9"), "text/plain; charset=\"iso-8859-1\""), QString::fromUtf8("café"));
}

}  // namespace
