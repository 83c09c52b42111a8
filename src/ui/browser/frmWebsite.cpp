#include "ui/browser/frmWebsite.h"

#include "ui/base/AppContext.h"
#include "ui/base/modBranding.h"
#include "ui/base/Controls.h"
#include "ui/base/StatusBar.h"
#include "ui/base/Twips.h"
#include "ui/browser/QuietPage.h"
#include "ui/browser/WebView.h"
#include "ui/skin/modSkin.h"
#include "ui/base/modOnTop.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <cmath>

namespace {

// Twips are kept as floats in the arithmetic; a control takes the nearest whole twip.
int whole(float twips)
{
    return static_cast<int>(std::lround(twips));
}

QToolButton *navigationButton(QWidget *frame, const QString &name, const QString &picture,
                              const QString &tooltip, const QRect &twips)
{
    QToolButton *button = Controls::pictureButton(frame, name, QString(), picture, twips);
    button->setToolTip(tooltip);
    button->setAccessibleName(tooltip);
    return button;
}

} // namespace

frmWebsite::frmWebsite(AppContext &context) : Form(context)
{
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(Controls::verdana(8.25));
    createFrame();
    createNavigation();
    createBrowser();
    createStatusBar();
    setTabOrder();
    resize(sizeHint());
}

QSize frmWebsite::sizeHint() const
{
    return {Twips::toPixels(RestoredWidth), Twips::toPixels(RestoredHeight)};
}

void frmWebsite::createFrame()
{
    frmBrowser = new QGroupBox(QStringLiteral("Browser"), client());
    frmBrowser->setObjectName(QStringLiteral("frmBrowser"));
    Controls::setKind(frmBrowser, Controls::Kind::Frame);
    Twips::place(frmBrowser, 60, 0, 6375, 7215);
    frmBrowser->setFont(Controls::verdana(8.25, true));
}

void frmWebsite::createNavigation()
{
    Command6 = navigationButton(frmBrowser, QStringLiteral("Command6"),
                                QStringLiteral(":/images/stop.png"), QStringLiteral("stop"),
                                {1500, 600, 435, 435});
    Command3 = navigationButton(frmBrowser, QStringLiteral("Command3"),
                                QStringLiteral(":/images/go.png"),
                                QStringLiteral("browse the entered url"), {5460, 240, 795, 315});
    Text1 = Controls::textBox(frmBrowser, QStringLiteral("Text1"), {540, 240, 4875, 315});
    Command5 = navigationButton(frmBrowser, QStringLiteral("Command5"),
                                QStringLiteral(":/images/forward.png"), QStringLiteral("forward"),
                                {1020, 600, 435, 435});
    Command4 = navigationButton(frmBrowser, QStringLiteral("Command4"),
                                QStringLiteral(":/images/back.png"), QStringLiteral("back"),
                                {540, 600, 435, 435});
    Command7 = navigationButton(frmBrowser, QStringLiteral("Command7"),
                                QStringLiteral(":/images/refresh.png"), QStringLiteral("refresh"),
                                {1980, 600, 435, 435});
    Label5 = Controls::label(frmBrowser, QStringLiteral("Label5"), QStringLiteral("URL:"),
                             {120, 300, 1215, 255});
    Text1->setAccessibleName(QStringLiteral("Address"));
    QLabel *skinTemplate = Controls::label(frmBrowser, QStringLiteral("SkinLabel1"),
                                           QStringLiteral("Windowed Label"), {3180, 6840, 555, 135},
                                           Controls::Kind::SkinLabel);
    skinTemplate->hide();
    SkinLabel1.push_back(skinTemplate);

    // Only the frame's caption is bold.
    for (QWidget *control : {static_cast<QWidget *>(Command3), static_cast<QWidget *>(Command4),
                             static_cast<QWidget *>(Command5), static_cast<QWidget *>(Command6),
                             static_cast<QWidget *>(Command7), static_cast<QWidget *>(Text1),
                             static_cast<QWidget *>(Label5), static_cast<QWidget *>(skinTemplate)})
        control->setFont(font());

    connect(Command3, &QToolButton::clicked, this, &frmWebsite::Command3_Click);
    connect(Command4, &QToolButton::clicked, this, &frmWebsite::Command4_Click);
    connect(Command5, &QToolButton::clicked, this, &frmWebsite::Command5_Click);
    connect(Command6, &QToolButton::clicked, this, &frmWebsite::Command6_Click);
    connect(Command7, &QToolButton::clicked, this, &frmWebsite::Command7_Click);
    connect(Text1, &QLineEdit::returnPressed, this, [this] { Text1_KeyPress(Controls::EnterKeyAscii); });
}

void frmWebsite::createBrowser()
{
    WebBrowser1 = new WebView(frmBrowser);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setFont(font());
    Twips::place(WebBrowser1, 120, 1140, 6135, 5595);
    WebBrowser1->prepareWindowForPages();
    WebBrowser1->setFocusPolicy(Qt::StrongFocus); // a tab stop, handing focus on to the page
    WebBrowser1->setAccessibleName(QStringLiteral("Web page"));
    connect(WebBrowser1, &WebView::StatusTextChange, this,
            &frmWebsite::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &WebView::DownloadBegin, this, &frmWebsite::WebBrowser1_DownloadBegin);
    connect(WebBrowser1, &WebView::DownloadComplete, this,
            &frmWebsite::WebBrowser1_DownloadComplete);
}

void frmWebsite::createStatusBar()
{
    StatusBar1 = new StatusBar(client());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    Twips::place(StatusBar1, 0, 8265, 10545, 315);
}

void frmWebsite::setTabOrder()
{
    Controls::tabOrder({Command6, Command3, Text1, Command5, Command4, Command7, WebBrowser1});
    StatusBar1->setFocusPolicy(Qt::NoFocus);
}

void frmWebsite::Form_Load()
{
    modBranding::modBranding(m_ctx);
    StatusBar1->addPanel();
    setWindowTitle(m_ctx.branding.Comments);
    modOnTop::SetOnTop(this, true);
    if (m_ctx.branding.UseSkin) {
        const QLabel *model = SkinLabel1.front();
        for (QLabel *copy : modSkin::CopyLabels(model, modSkin::Labels(this, model->parentWidget())))
            SkinLabel1.push_back(copy);
        modSkin::SkinForm(m_ctx, this);
    }
    if (!m_ctx.platform.webViewsAllowed())
        WebBrowser1->keepEngineOff(QuietPage::reasonForRunningAsRoot());
    WebBrowser1->Navigate(m_ctx.branding.Comments);
    setWindowState(windowState() | Qt::WindowMaximized);
    modOnTop::SetOnTop(this, false);
}

void frmWebsite::Form_Unload()
{
    if (!m_endsProgram)
        return;
    if (m_ctx.branding.UseSkin)
        modSkin::StopSkinService(m_ctx);
    m_ctx.windows.EndProgram();
}

BrowserLayout frmWebsite::layoutFor(float W, float H) const
{
    const float statusBarHeight = static_cast<float>(Twips::rect(StatusBar1).height());
    const QRect address = Twips::rect(Text1);
    const QRect browser = Twips::rect(WebBrowser1);
    const float goWidth = static_cast<float>(Twips::rect(Command3).width());

    BrowserLayout layout;
    layout.panel1Width = std::fabs(W / 2);
    layout.panel2Width = std::fabs(W / 2);
    layout.frameHeight = std::fabs(H - statusBarHeight);
    layout.frameWidth = std::fabs(W - 300);
    layout.addressWidth =
        std::fabs(layout.frameWidth - static_cast<float>(address.left()) - 300 - goWidth);
    layout.goLeft = layout.addressWidth + static_cast<float>(address.left()) + 100;
    layout.browserWidth = std::fabs(layout.frameWidth - static_cast<float>(browser.left()) - 100);
    layout.browserHeight = std::fabs(layout.frameHeight - static_cast<float>(browser.top()) - 800
                                     - statusBarHeight);
    return layout;
}

void frmWebsite::applyLayout(const BrowserLayout &layout)
{
    StatusBar1->setPanelWidth(1, whole(layout.panel1Width));
    StatusBar1->setPanelWidth(2, whole(layout.panel2Width));
    Twips::setHeight(frmBrowser, whole(layout.frameHeight));
    Twips::setWidth(frmBrowser, whole(layout.frameWidth));
    Twips::setWidth(Text1, whole(layout.addressWidth));
    Twips::setLeft(Command3, whole(layout.goLeft));
    Twips::setWidth(WebBrowser1, whole(layout.browserWidth));
    Twips::setHeight(WebBrowser1, whole(layout.browserHeight));
}

void frmWebsite::Form_Resize()
{
    // The status bar keeps to the bottom of the window by itself.
    const int statusBarHeight = Twips::rect(StatusBar1).height();
    Twips::place(StatusBar1, 0, ScaleHeight() - statusBarHeight, ScaleWidth(), statusBarHeight);
    applyLayout(layoutFor(static_cast<float>(WidthTwips()), static_cast<float>(HeightTwips())));
}

void frmWebsite::Form_Paint()
{
    applyLayout(layoutFor(static_cast<float>(WidthTwips()), static_cast<float>(HeightTwips())));
}

void frmWebsite::resizeEvent(QResizeEvent *event)
{
    Form::resizeEvent(event);
    Form_Resize();
}

void frmWebsite::paintEvent(QPaintEvent *event)
{
    Form::paintEvent(event);
    Form_Paint();
}

void frmWebsite::Command3_Click()
{
    WebBrowser1->Navigate(Text1->text());
}

void frmWebsite::Command4_Click()
{
    WebBrowser1->GoBack();
}

void frmWebsite::Command5_Click()
{
    WebBrowser1->GoForward();
}

void frmWebsite::Command6_Click()
{
    WebBrowser1->Stop();
}

void frmWebsite::Command7_Click()
{
    WebBrowser1->Refresh();
}

void frmWebsite::Text1_KeyPress(int KeyAscii)
{
    if (KeyAscii == Controls::EnterKeyAscii)
        Command3_Click();
}

void frmWebsite::WebBrowser1_StatusTextChange(const QString &Text)
{
    StatusBar1->setPanelText(1, Text);
}

void frmWebsite::WebBrowser1_DownloadBegin()
{
    StatusBar1->setPanelText(2, QStringLiteral("Opening ") + WebBrowser1->LocationURL());
}

void frmWebsite::WebBrowser1_DownloadComplete()
{
    StatusBar1->setPanelText(2, QStringLiteral("Completed ") + WebBrowser1->LocationURL());
    Text1->setText(WebBrowser1->LocationURL());
    // A page's title is shown as it is: "[*]" would otherwise be taken as Qt's modified mark.
    setWindowTitle(WebBrowser1->LocationName().replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}
