#include "ui/look/LoadBanner.h"

#include "app/AppContext.h"
#include "ui/Controls.h"
#include "ui/Twips.h"
#include "ui/browser/WebView.h"
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
    banner->Navigate(context.branding.BannerUrl);
}

} // namespace modSkin
