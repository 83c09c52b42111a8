#include "ui/help/frmAbout.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/browser/frmWebsite.h"
#include "ui/skin/modSkin.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace {

const char *const NoticeText =
    "Keyholder keeps your passwords in the file data.enc beside the program. The file is "
    "scrambled, not encrypted: anyone who can read it can recover your passwords. Keep it "
    "private, and keep a copy of it in a safe place. This software comes with no warranty.";

QLabel *valueLabel(QWidget *parent, const QString &name, const QString &caption,
                   const QRect &twips)
{
    QLabel *label = Controls::label(parent, name, caption, twips);
    label->setFont(Controls::verdana(12, true));
    return label;
}

} // namespace

frmAbout::frmAbout(AppContext &context) : Form(context)
{
    setObjectName(QStringLiteral("frmAbout"));
    // Fixed size: a caption with a close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(Controls::verdana(8.25));
    setClientSizeTwips(7455, 2535);
    createPicture();
    createTextLabels();
}

void frmAbout::createPicture()
{
    Picture1 = Controls::label(client(), QStringLiteral("Picture1"), QString(),
                               {0, 0, 7515, 1035}, Controls::Kind::PictureBox);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/logo.jpg")));

    Label1 = Controls::label(Picture1, QStringLiteral("Label1"),
                             QStringLiteral("Your Program Name"), {120, 300, 5655, 435});
    Label1->setFont(Controls::verdana(14.25, true));
}

void frmAbout::createTextLabels()
{
    QWidget *area = client();
    Label2 = valueLabel(area, QStringLiteral("Label2"), QStringLiteral("Version:"),
                        {180, 1260, 2295, 315});
    Label3 = valueLabel(area, QStringLiteral("Label3"), QStringLiteral("Owned By:"),
                        {180, 1680, 2295, 315});
    Label4 = valueLabel(area, QStringLiteral("Label4"), QStringLiteral("Website:"),
                        {180, 2100, 2295, 315});
    lblVersion = valueLabel(area, QStringLiteral("lblVersion"), QStringLiteral("Version:"),
                            {2580, 1260, 4635, 315});
    lblCompany = valueLabel(area, QStringLiteral("lblCompany"), QStringLiteral("Owned By:"),
                            {2580, 1680, 4635, 315});
    lblWebsite = valueLabel(area, QStringLiteral("lblWebsite"), QStringLiteral("Website:"),
                            {2580, 2100, 4635, 315});
    QPalette blue = lblWebsite->palette();
    blue.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    lblWebsite->setPalette(blue);
    lblWebsite->installEventFilter(this);
    // A link: Tab reaches it and Enter or Space opens it, as a click does.
    lblWebsite->setFocusPolicy(Qt::TabFocus);

    // Designed below the visible client area, so it is never seen.
    Label5 = Controls::label(area, QStringLiteral("Label5"), QString::fromUtf8(NoticeText),
                             {120, 3120, 7215, 1275});
    Label5->setWordWrap(true);

    SkinLabel1 = Controls::label(area, QStringLiteral("SkinLabel1"), QString(),
                                 {0, 0, 1215, 255}, Controls::Kind::SkinLabel);
    SkinLabel1->hide();
}

QString frmAbout::versionText(int major, int minor)
{
    return QString::number(major) + QLatin1Char('.') + QString::number(minor);
}

void frmAbout::Form_Load()
{
    const platform::VersionInfo version = m_ctx.platform.versionInfo();
    const BrandingRecord &branding = m_ctx.branding;
    setWindowTitle(QStringLiteral("About ") + branding.ProductName);
    Label1->setText(version.ProductName);
    lblCompany->setText(version.CompanyName);
    lblVersion->setText(versionText(version.Major, version.Minor));
    lblWebsite->setText(version.Comments);
    if (m_ctx.branding.UseSkin) {
        modSkin::CopyLabels(SkinLabel1, modSkin::Labels(this));
        modSkin::SkinForm(m_ctx, this);
    }
}

void frmAbout::lblWebsite_Click()
{
    m_ctx.windows.Show<frmWebsite>();
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblWebsite && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // A click is a left release over the label, as with a button.
        const bool overLabel = lblWebsite->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && overLabel)
            lblWebsite_Click();
    }
    if (watched == lblWebsite && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            lblWebsite_Click();
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

void frmAbout::escapePressed()
{
    m_ctx.windows.Unload(this);
}
