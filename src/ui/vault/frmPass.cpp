#include "ui/vault/frmPass.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/StrengthMeter.h"
#include "ui/base/Twips.h"
#include "ui/skin/modSkin.h"
#include "ui/vault/NewMasterPassword.h"
#include "ui/vault/modGlobals.h"
#include "ui/base/modOnTop.h"
#include "vault/VaultSession.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;
using platform::MsgButtons;
using platform::MsgResult;

namespace {

constexpr int Gap = 60;
constexpr int CreateModeFirstBoxTop = 1700;
constexpr int CreateModePromptHeight = 1500;
// Room left below the buttons for the caption and border.
constexpr int CreateModeBottomMargin = 500;
constexpr int CheckModeHeight = 1845;
constexpr int CheckModeBoxTop = 360;
constexpr int CheckModeButtonTop = 780;
// The strength row under the buttons in create mode.
constexpr int StrengthRowHeight = 255;


int bottomOf(const QWidget *control)
{
    const QRect r = Twips::rect(control);
    return r.top() + r.height();
}

} // namespace

frmPass::frmPass(AppContext &context, Mode mode) : Form(context), m_mode(mode)
{
    setObjectName(u"frmPass"_s);
    setWindowFlags(CaptionAndCloseBox);
    setWindowTitle(u"Password Required"_s);
    setClientSizeTwips(6825, 1800);
    createControls();
    setTabOrder();
    Timer1.setInterval(TimerInterval);
    connect(&Timer1, &QTimer::timeout, this, &frmPass::Timer1_Timer);
}

void frmPass::createControls()
{
    QWidget *area = client();
    SkinLabel1 = Controls::label(area, u"SkinLabel1"_s, QString(), {120, 60, 6615, 315},
                                 Controls::Kind::SkinLabel);
    SkinLabel1->setWordWrap(true);
    SkinLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SkinLabel2 = Controls::label(area, u"SkinLabel2"_s, u"Password:"_s, {120, 540, 915, 255},
                                 Controls::Kind::SkinLabel);
    txtPass = Controls::passwordBox(area, u"txtPass"_s, {1740, 480, 4995, 315});
    SkinLabel3 = Controls::label(area, u"SkinLabel3"_s, u"Retype Password:"_s,
                                 {120, 2460, 1935, 255}, Controls::Kind::SkinLabel);
    txtPass2 = Controls::passwordBox(area, u"txtPass2"_s, {1740, 2400, 4995, 315});
    // Screen readers name each box after its label.
    SkinLabel2->setBuddy(txtPass);
    SkinLabel3->setBuddy(txtPass2);
    cmdOK = Controls::commandButton(area, u"cmdOK"_s, u"Ok"_s, {4500, 1260, 1095, 495});
    cmdCancel = Controls::commandButton(area, u"cmdCancel"_s, u"Cancel"_s, {5700, 1260, 1035, 495});
    lblStrength = Controls::label(area, u"lblStrength"_s, u"Strength:"_s, {120, 0, 1500, StrengthRowHeight},
                                  Controls::Kind::SkinLabel);
    strength = new StrengthMeter(txtPass, {1740, 30, 3675, 195}, {5520, 0, 1215, StrengthRowHeight});

    connect(cmdOK, &QPushButton::clicked, this, &frmPass::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPass::cmdCancel_Click);
    connect(txtPass, &QLineEdit::returnPressed, this, [this] { txtPass_KeyPress(Controls::EnterKeyAscii); });
    connect(txtPass2, &QLineEdit::returnPressed, this, [this] { txtPass2_KeyPress(Controls::EnterKeyAscii); });
}

void frmPass::setTabOrder()
{
    Controls::tabOrder({cmdOK, cmdCancel, txtPass, txtPass2});
}

void frmPass::Form_Load()
{
    if (Form *main = m_ctx.windows.mainWindow())
        main->hide();
    FailedTries = 0;
    if (m_mode == Mode::Create)
        layOutForCreating();
    else
        layOutForChecking();
    raise();
    modOnTop::SetOnTop(this, true);
    QCoreApplication::processEvents();
    txtPass->clear();
    // Typing goes straight into the password box, although the buttons come first in tab order.
    txtPass->setFocus();
    Timer1.start();
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
}

void frmPass::layOutForCreating()
{
    SkinLabel1->setText(u"Because this is the first time you have used "_s + m_ctx.branding.ProductName
                        + u", you will need to create a master password.  This password will be "
                          "required to open the program from now on, and can not be reset."_s
                        + u"\r\n\r\nPlease enter a password that you will not forget."_s);
    Twips::setHeight(SkinLabel1, CreateModePromptHeight);
    Twips::setTop(txtPass, CreateModeFirstBoxTop);
    Twips::setTop(SkinLabel2, CreateModeFirstBoxTop);
    const int secondBoxTop = bottomOf(txtPass) + Gap;
    Twips::setTop(txtPass2, secondBoxTop);
    Twips::setTop(SkinLabel3, secondBoxTop);
    SkinLabel3->setVisible(true);
    txtPass2->setVisible(true);
    const int buttonTop = bottomOf(txtPass2) + Gap;
    Twips::setTop(cmdOK, buttonTop);
    Twips::setTop(cmdCancel, buttonTop);
    const int strengthTop = bottomOf(cmdOK) + Gap;
    Twips::setTop(lblStrength, strengthTop);
    Twips::setTop(strength->bar, strengthTop + 30);
    Twips::setTop(strength->word, strengthTop);
    setHeightTwips(strengthTop + StrengthRowHeight + Gap + CreateModeBottomMargin);
}

void frmPass::layOutForChecking()
{
    setHeightTwips(CheckModeHeight);
    SkinLabel1->setText(u"Please enter your password"_s);
    Twips::setTop(txtPass, CheckModeBoxTop);
    Twips::setTop(SkinLabel2, CheckModeBoxTop);
    Twips::setTop(cmdOK, CheckModeButtonTop);
    Twips::setTop(cmdCancel, CheckModeButtonTop);
    SkinLabel3->setVisible(false);
    txtPass2->setVisible(false);
    lblStrength->setVisible(false);
    strength->setVisible(false);
}

void frmPass::Form_Unload()
{
    Timer1.stop();
    if (isCheckingPassword())
        QGuiApplication::restoreOverrideCursor();
    if (!m_newPasswordAccepted && m_ctx.session().MasterPassword().isEmpty())
        m_ctx.windows.EndProgram();
}

void frmPass::Timer1_Timer()
{
    Form *main = m_ctx.windows.mainWindow();
    if (!main || !main->isVisible())
        return;
    main->hide();
    // Showing the main window took the keyboard; the password box needs it back.
    activateWindow();
}

void frmPass::txtPass_KeyPress(int KeyAscii)
{
    if (KeyAscii == Controls::EnterKeyAscii)
        cmdOK_Click();
}

void frmPass::txtPass2_KeyPress(int KeyAscii)
{
    if (KeyAscii == Controls::EnterKeyAscii)
        cmdOK_Click();
}

void frmPass::cmdOK_Click()
{
    if (isCheckingPassword())
        return;
    if (m_mode == Mode::Create)
        acceptNewPassword();
    else
        checkPassword();
}

void frmPass::cmdCancel_Click()
{
    leaveAndEndProgram();
}

void frmPass::acceptNewPassword()
{
    const QString password = txtPass->text();
    if (const auto refusal = NewMasterPassword::check(password, txtPass2->text())) {
        askUser(refusal->text, MsgButtons::Ok, refusal->title);
        if (refusal->mismatch) {
            txtPass2->clear();
            txtPass->clear();
            txtPass->setFocus();
        }
        return;
    }
    Timer1.stop();
    m_newPasswordAccepted = true;
    // Out of sight before the write, so a box about a failed write stands alone.
    hide();
    QGuiApplication::processEvents();
    if (modGlobals::CreateMasterPassword(m_ctx, password))
        emit vaultOpened(u"Password created successfully"_s);
    emit unloadRequested(this);
}

void frmPass::checkPassword()
{
    VaultSession &session = m_ctx.session();
    const QString password = txtPass->text();
    if (!session.isEncrypted()) {
        acceptOrRefuse(password, session.prepareUnlock(password));
        return;
    }
    // Deriving the key takes about a second; the dialog keeps painting meanwhile.
    setWaiting(true);
    m_unlocking.start(
            this, [&session, password] { return session.prepareUnlock(password); },
            [this, password](Result<VaultSession::Unlocking> prepared) {
                setWaiting(false);
                acceptOrRefuse(password, std::move(prepared));
            });
}

void frmPass::acceptOrRefuse(const QString &password, Result<VaultSession::Unlocking> prepared)
{
    switch (modGlobals::LoadEntries(m_ctx, password, std::move(prepared))) {
    case modGlobals::Unlock::Opened:
        Timer1.stop();
        emit vaultOpened(modGlobals::LoadedText(m_ctx, m_ctx.session().entries().rowCount()));
        emit unloadRequested(this);
        return;
    case modGlobals::Unlock::WrongPassword:
        refuseWrongPassword();
        return;
    case modGlobals::Unlock::ProgramEnded:
        return;
    }
}

void frmPass::setWaiting(bool waiting)
{
    Controls::setWaiting({cmdOK, cmdCancel, txtPass}, waiting);
}

void frmPass::refuseWrongPassword()
{
    const MsgResult answer = askUser(u"Sorry, the password you entered was not correct."_s,
                                     MsgButtons::RetryCancel, u"Incorrect Password"_s);
    if (answer != MsgResult::Retry) {
        leaveAndEndProgram();
        return;
    }
    if (++FailedTries >= AllowedTries) {
        askUser(u"Only 3 tries allowed.  Click Ok to close."_s, MsgButtons::Ok);
        leaveAndEndProgram();
        return;
    }
    txtPass->clear();
    txtPass->setFocus();
}

void frmPass::leaveAndEndProgram()
{
    Timer1.stop();
    m_ctx.windows.EndProgram();
}

// The dialog stays above every window, so it lets go while a box is open;
// otherwise the box could end up behind it.
MsgResult frmPass::askUser(const QString &text, MsgButtons buttons, const QString &title)
{
    modOnTop::SetOnTop(this, false);
    const MsgResult answer = m_ctx.MsgBox(text, buttons, title);
    modOnTop::SetOnTop(this, true);
    return answer;
}
