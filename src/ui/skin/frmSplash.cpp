#include "ui/skin/frmSplash.h"

#include "ui/base/AppContext.h"
#include "ui/base/modBranding.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/skin/SkinControl.h"
#include "ui/skin/modSkin.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>

frmSplash::frmSplash(AppContext &context) : Form(context)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
    Image1 = Controls::label(client(), QStringLiteral("Image1"), QString(), {0, 0, 7170, 4770},
                             Controls::Kind::Image);
    const QPixmap picture(QStringLiteral(":/images/splash.jpg"));
    if (!picture.isNull()) {
        Image1->setPixmap(picture);
        Twips::place(Image1, 0, 0, Twips::fromPixels(picture.width()),
                     Twips::fromPixels(picture.height()));
    }
    Timer2.setInterval(2);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
}

void frmSplash::Form_Load()
{
    const QRect picture = Twips::rect(Image1);
    setClientSizeTwips(picture.width(), picture.height());
    modBranding::modBranding(m_ctx);
    if (m_ctx.branding.UseSkin) {
        skn = SkinControl::standard();
        m_ctx.skin = skn;
        modSkin::SkinForm(m_ctx, this);
        modSkin::StartSkinService(m_ctx, skn);
    }
    Timer2.start();
}

void frmSplash::Form_Unload()
{
    Timer2.stop();
    if (!m_ctx.windows.mainWindow())
        m_ctx.windows.EndProgram();
}

void frmSplash::Timer2_Timer()
{
    intTemp += 2;
    if (intTemp != 2 * TicksBeforeMainWindow)
        return;
    Timer2.stop();
    emit countedDown();
    hide();
}
