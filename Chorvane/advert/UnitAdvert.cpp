#include "UnitAdvert.h"

#include "Unit_common.h"
#include "advert_fetch.h"
#include "advert_page.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>

#include <memory>

TAdvertPanel::TAdvertPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WebBrowser"));
    setFixedSize(kWidth, kHeight);

    View = new QTextBrowser(this);
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

TAdvertPanel::~TAdvertPanel()
{
    // A page still being made ready: its thread ends by itself, within a moment.
    if (importer_) {
        importer_->wait();
        delete importer_;
    }
}

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
    if (!ok) return ShowPage(nullptr);
    // A big page takes a while to import: on a thread of its own, so that the window
    // never waits for it. The document comes back moved to this thread.
    auto made = std::make_shared<std::unique_ptr<QTextDocument>>();
    importer_ = QThread::create([page = fetch_->Page(), made, owner = thread()] {
        *made = advert::MakeDocument(page.text, page.kind, page.address);
        if (*made) (*made)->moveToThread(owner);
    });
    importer_->setObjectName(QStringLiteral("advert page"));
    connect(importer_, &QThread::finished, this, [this, made] {
        importer_->deleteLater();
        importer_ = nullptr;
        ShowPage(made->release());
    });
    importer_->start();
}

void TAdvertPanel::ShowPage(QTextDocument* document)
{
    if (document) {
        document->setParent(View);
        document->setDefaultFont(View->font());
        View->setDocument(document);
        for (QLabel* tip : Tips) tip->hide();
        View->show();
    } else {
        ShowTip();
    }
    emit advertFinished(document != nullptr);
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
