#include "ui/banner/LoadBanner.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/browser/WebView.h"
#include "ui/banner/BannerProbe.h"
#include "ui/banner/OfflineBanner.h"

#include <QFrame>
#include <functional>

namespace modSkin {

namespace {

// How much narrower than the banner's browser its frame is, in twips, so that
// the browser's vertical scroll bar lies outside the frame and is not seen.
constexpr int BannerCropWidth = 280;

QFrame *addPictureBox(QWidget *container, const QString &name)
{
    auto *box = new QFrame(container);
    box->setObjectName(name);
    Controls::setKind(box, Controls::Kind::PictureBox);
    return box;
}

BannerProbe *probeOf(QWidget &window)
{
    return window.findChild<BannerProbe *>(QStringLiteral("bannerProbe"), Qt::FindDirectChildrenOnly);
}

void showPageOrOffline(BannerProbe::Outcome outcome, WebView *banner, const QString &address,
                       const std::function<void()> &showOffline)
{
    if (outcome == BannerProbe::Outcome::Reachable)
        banner->Navigate(address);
    else
        showOffline();
}

} // namespace

void ProbeBanner(AppContext &context, QWidget &window, WebView &banner)
{
    if (!context.platform.webViewsAllowed() || probeOf(window))
        return;
    auto *probe = new BannerProbe(&window);
    probe->setObjectName(QStringLiteral("bannerProbe"));
    QObject::connect(probe, &BannerProbe::finished, &window, [&window, &banner](bool reachable) {
        // Only while hidden: a window on screen that changes its drawing path flickers.
        if (reachable && !window.isVisible())
            banner.prepareWindowForPages();
    });
    probe->start(QUrl::fromUserInput(context.branding.BannerUrl));
}

void LoadBanner(AppContext &context, QWidget &window)
{
    auto *banner = window.findChild<WebView *>(QStringLiteral("wbBanner"));
    auto *picture = window.findChild<QWidget *>(QStringLiteral("wbPicture"));
    if (!banner || !picture)
        return;

    QFrame *picBox = addPictureBox(banner->parentWidget(), QStringLiteral("picBox"));
    const QRect place = Twips::rect(banner);
    Twips::place(picBox, place.left(), place.top(), place.width() - BannerCropWidth, place.height());
    picBox->setFrameShape(QFrame::NoFrame);

    banner->setParent(picBox);
    Twips::place(banner, 0, 0, place.width(), place.height());

    picBox->show();
    picBox->repaint();
    banner->show();
    picture->hide();

    // Stands in for the page whenever it cannot be shown, in place of an error text.
    auto *offline = new OfflineBanner(picBox, context.branding.ProductName);
    offline->setGeometry(picBox->rect());
    offline->hide();
    const auto showOffline = [offline] {
        offline->show();
        offline->raise();
    };
    QObject::connect(banner, &WebView::LoadFailed, offline, showOffline);
    if (!context.platform.webViewsAllowed()) {
        showOffline();
        return;
    }
    // A banner needs no scripts; it sits beside every password.
    banner->setScriptsEnabled(false);
    // The web engine costs far more than the page: start it only for a page that is there.
    ProbeBanner(context, window, *banner);
    BannerProbe *probe = probeOf(window);
    const QString address = context.branding.BannerUrl;
    if (probe->outcome() != BannerProbe::Outcome::Pending) {
        showPageOrOffline(probe->outcome(), banner, address, showOffline);
        return;
    }
    QObject::connect(probe, &BannerProbe::finished, banner, [probe, banner, address, showOffline] {
        showPageOrOffline(probe->outcome(), banner, address, showOffline);
    });
}

} // namespace modSkin
