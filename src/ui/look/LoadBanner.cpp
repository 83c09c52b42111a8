#include "ui/look/LoadBanner.h"

#include "app/AppContext.h"
#include "ui/Controls.h"
#include "ui/Twips.h"
#include "ui/browser/WebView.h"
#include "ui/look/BannerProbe.h"
#include "ui/look/OfflineBanner.h"
#include "ui/main/Form1.h"

#include <QFrame>

namespace modSkin {

namespace {

// The program's windows are designed and measured in twips.
constexpr ScaleMode WindowScaleMode = ScaleMode::Twips;

QFrame *addPictureBox(QWidget *container, const QString &name)
{
    auto *box = new QFrame(container);
    box->setObjectName(name);
    Controls::setKind(box, Controls::Kind::PictureBox);
    return box;
}

} // namespace

int BannerCropWidth(ScaleMode mode)
{
    return mode == ScaleMode::Pixels ? 20 : 280;
}

void LoadBanner(AppContext &context, Form1 &window)
{
    auto *banner = window.findChild<WebView *>(QStringLiteral("wbBanner"));
    auto *picture = window.findChild<QWidget *>(QStringLiteral("wbPicture"));
    if (!banner || !picture)
        return;

    QFrame *picBox = addPictureBox(banner->parentWidget(), QStringLiteral("picBox"));
    const int crop = BannerCropWidth(WindowScaleMode);
    const QRect place = Twips::rect(banner);
    Twips::place(picBox, place.left(), place.top(), place.width() - crop, place.height());
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
    auto *probe = new BannerProbe(picBox);
    const QString address = context.branding.BannerUrl;
    QObject::connect(probe, &BannerProbe::finished, banner,
                     [banner, probe, address, showOffline](bool reachable) {
                         probe->deleteLater();
                         if (reachable)
                             banner->Navigate(address);
                         else
                             showOffline();
                     });
    probe->start(QUrl::fromUserInput(address));
}

} // namespace modSkin
