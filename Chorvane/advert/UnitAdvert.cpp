#include "UnitAdvert.h"

#include "Unit_common.h"
#include "advert_fetch.h"
#include "advert_page.h"

#include <QImage>
#include <QLabel>
#include <QRandomGenerator>
#include <QTextBrowser>

namespace {

// The page's view. Whatever the page asks to load (images, style sheets) is never
// fetched: not from the web, and above all not from this machine's files.
class TAdvertView : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl&) override
    {
        if (type != QTextDocument::ImageResource) return {};
        // A transparent dot rather than nothing: nothing draws a broken-image icon.
        QImage dot(1, 1, QImage::Format_ARGB32);
        dot.fill(Qt::transparent);
        return dot;
    }
};

}  // namespace

TAdvertPanel::TAdvertPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WebBrowser"));
    setFixedSize(kWidth, kHeight);

    View = new TAdvertView(this);
    View->setObjectName(QStringLiteral("WebBrowserPage"));
    View->setGeometry(rect());
    // The page never navigates: its links go to the user's browser, or nowhere.
    View->setOpenLinks(false);
    View->setOpenExternalLinks(false);
    View->setUndoRedoEnabled(false);
    // The keyboard stays with the main window's controls.
    View->setFocusPolicy(Qt::NoFocus);
    View->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View->hide();
    connect(View, &QTextBrowser::anchorClicked, this, &TAdvertPanel::OpenLink);

    for (int i = 0; i < kTipCount; ++i) {
        auto* tip = new QLabel(this);
        tip->setObjectName(QStringLiteral("AdvertTip%1").arg(i + 1));
        tip->setGeometry(rect());
        tip->setWordWrap(true);
        tip->setAlignment(Qt::AlignCenter);
        tip->setMargin(2);
        tip->hide();
        Tips[static_cast<size_t>(i)] = tip;
    }
    tip_ = static_cast<int>(QRandomGenerator::global()->bounded(kTipCount));
    ShowTip();

    fetch_ = new AdvertFetch(this);
    connect(fetch_, &AdvertFetch::Finished, this, &TAdvertPanel::FetchFinished);
}

TAdvertPanel::~TAdvertPanel() = default;

QString TAdvertPanel::AdvertAddress() const
{
    if (!address_.isEmpty()) return address_;
    if (qEnvironmentVariableIsSet("CHORVANE_ADVERT_ADDRESS")) return qEnvironmentVariable("CHORVANE_ADVERT_ADDRESS");
    return common_ ? QString::fromStdString(common_->AdvertAddress()) : QString();
}

void TAdvertPanel::LoadAdvert()
{
    if (loadStarted_) return;
    loadStarted_ = true;
    if (!fetch_->Start(QUrl(AdvertAddress()))) FetchFinished(false);
}

void TAdvertPanel::FetchFinished(bool ok)
{
    if (ok) {
        const AdvertPage& page = fetch_->Page();
        if (page.kind == advert::PageKind::Html) {
            View->setHtml(page.text);
            advert::FitToPanel(*View->document(), page.address);
        } else {
            View->setPlainText(page.text);
        }
        ok = !View->toPlainText().trimmed().isEmpty();
    }
    if (ok) {
        for (QLabel* tip : Tips) tip->hide();
        View->show();
    } else {
        View->clear();
        ShowTip();
    }
    emit advertFinished(ok);
}

void TAdvertPanel::ShowTip()
{
    View->hide();
    for (int i = 0; i < kTipCount; ++i) Tips[static_cast<size_t>(i)]->setVisible(i == tip_);
}

void TAdvertPanel::OpenLink(const QUrl& link)
{
    if (common_ && advert::IsOpenableLink(link)) common_->OpenAddress(link.toString(QUrl::FullyEncoded).toStdString());
}

bool TAdvertPanel::PageShown() const
{
    return !View->isHidden();
}

QLabel* TAdvertPanel::ShownTip() const
{
    return PageShown() ? nullptr : Tips[static_cast<size_t>(tip_)];
}
