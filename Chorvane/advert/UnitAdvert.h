#pragma once
// The advert panel `WebBrowser` of the main window (337 x 60): the advert page of the
// address set, loaded once per run and shown as light HTML (no scripts, no images, no
// colours of its own, so that it reads well on every skin). Its web links open in the
// user's browser. Until the page has loaded, and when it does not load, the panel shows
// one of our own tips, whose texts the language file gives; nothing is reported.

#include <QString>
#include <QWidget>

#include <array>

class AdvertFetch;
class QLabel;
class QTextBrowser;
class QTextDocument;
class QThread;
class QUrl;
class TfrmCommon;

class TAdvertPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 337;
    static constexpr int kHeight = 60;
    static constexpr int kTipCount = 3;

    explicit TAdvertPanel(QWidget* parent = nullptr);
    ~TAdvertPanel() override;

    // The shared services: the advert address and the opening of links. Nothing is
    // loaded or opened without them.
    void SetCommon(TfrmCommon* common) { common_ = common; }
    // Replaces the advert address of the address set (tests, mirrors). The variable
    // CHORVANE_ADVERT_ADDRESS, when set, does the same for a whole run; set and empty,
    // no advert is loaded.
    void SetAdvertAddress(const QString& address) { address_ = address; }
    [[nodiscard]] QString AdvertAddress() const;
    [[nodiscard]] AdvertFetch& Fetch() { return *fetch_; }

    // Starts loading the advert address and returns at once; only the first call of a
    // run loads. advertFinished follows, also when there is nothing to load.
    void LoadAdvert();
    // A link of the page: handed to the user's browser when it is a web address.
    void OpenLink(const QUrl& link);

    [[nodiscard]] bool PageShown() const;
    // The tip on show, or nullptr while the page is.
    [[nodiscard]] QLabel* ShownTip() const;

    QTextBrowser* View = nullptr;             // the page
    std::array<QLabel*, kTipCount> Tips{};  // AdvertTip1 ... : one of them shows instead of the page

signals:
    // The load has ended: shown tells whether the page is on show.
    void advertFinished(bool shown);

private:
    void FetchFinished(bool ok);
    // The page's document, or the tip when there is none.
    void ShowPage(QTextDocument* document);
    void ShowTip();

    TfrmCommon* common_ = nullptr;
    AdvertFetch* fetch_ = nullptr;
    QThread* importer_ = nullptr;  // makes the page's document ready
    QString address_;
    int tip_ = 0;
    bool loadStarted_ = false;
};
