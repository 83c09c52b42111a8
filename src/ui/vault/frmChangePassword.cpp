#include "ui/vault/frmChangePassword.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/StatusReporter.h"
#include "ui/base/StrengthMeter.h"
#include "ui/skin/modSkin.h"
#include "ui/vault/NewMasterPassword.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

frmChangePassword::frmChangePassword(AppContext &context, StatusReporter &status)
    : Form(context), m_status(status)
{
    setObjectName(u"frmChangePassword"_s);
    setWindowFlags(CaptionAndCloseBox);
    setWindowTitle(u"Change Master Password"_s);
    setFont(Controls::verdana(8.25));
    // The strength row below the buttons.
    setClientSizeTwips(5400, 2370);
    createControls();
}

void frmChangePassword::createControls()
{
    QWidget *area = client();
    lblCurrent = Controls::label(area, u"lblCurrent"_s, u"&Current Password:"_s, {120, 120, 1875, 255});
    txtCurrent = Controls::passwordBox(area, u"txtCurrent"_s, {2040, 60, 3240, 315});
    lblNew = Controls::label(area, u"lblNew"_s, u"&New Password:"_s, {120, 540, 1875, 255});
    txtNew = Controls::passwordBox(area, u"txtNew"_s, {2040, 480, 3240, 315});
    lblRetype = Controls::label(area, u"lblRetype"_s, u"&Retype Password:"_s, {120, 960, 1875, 255});
    txtRetype = Controls::passwordBox(area, u"txtRetype"_s, {2040, 900, 3240, 315});
    cmdOK = Controls::commandButton(area, u"cmdOK"_s, u"OK"_s, {3000, 1380, 1095, 495});
    cmdCancel = Controls::commandButton(area, u"cmdCancel"_s, u"Cancel"_s, {4185, 1380, 1095, 495});
    lblStrength = Controls::label(area, u"lblStrength"_s, u"Strength:"_s, {120, 1995, 1875, 255});
    strength = new StrengthMeter(txtNew, {2040, 2025, 2040, 195}, {4185, 1995, 1095, 255});
    lblCurrent->setBuddy(txtCurrent);
    lblNew->setBuddy(txtNew);
    lblRetype->setBuddy(txtRetype);
    Controls::tabOrder({txtCurrent, txtNew, txtRetype, cmdOK, cmdCancel});
    connect(cmdOK, &QPushButton::clicked, this, &frmChangePassword::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmChangePassword::cmdCancel_Click);
    for (QLineEdit *box : {txtCurrent, txtNew, txtRetype})
        connect(box, &QLineEdit::returnPressed, this, &frmChangePassword::cmdOK_Click);
}

void frmChangePassword::Form_Load()
{
    txtCurrent->setFocus();
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
}

// A lock closes the window: the key being made is of no use any more, and the
// work must be over before the session forgets its own.
void frmChangePassword::Form_Unload()
{
    if (!isDerivingKey())
        return;
    m_deriving.wait();
    QGuiApplication::restoreOverrideCursor();
}

void frmChangePassword::escapePressed()
{
    cmdCancel->click();
}

void frmChangePassword::cmdCancel_Click()
{
    if (!isDerivingKey())
        m_ctx.windows.Unload(this);
}

void frmChangePassword::refuse(const QString &text, const QString &title)
{
    m_ctx.MsgBox(text, platform::MsgButtons::Ok, title.isEmpty() ? windowTitle() : title);
}

void frmChangePassword::cmdOK_Click()
{
    if (isDerivingKey())
        return;
    VaultSession &session = m_ctx.session();
    if (!session.isMasterPassword(txtCurrent->text())) {
        refuse(u"The current password is not correct.  The master password was not changed."_s);
        txtCurrent->selectAll();
        txtCurrent->setFocus();
        return;
    }
    const QString password = txtNew->text();
    if (const auto refusal = NewMasterPassword::check(password, txtRetype->text())) {
        refuse(refusal->text, refusal->title);
        if (refusal->mismatch) {
            txtNew->clear();
            txtRetype->clear();
        }
        txtNew->setFocus();
        return;
    }
    if (!session.isEncrypted()) {
        finish(password, session.prepareMasterChange(password, {}));
        return;
    }
    // Tuning and deriving the new key take a second or two; the window keeps painting.
    setWaiting(true);
    m_deriving.start(
            this,
            [&session, password] { return session.prepareMasterChange(password, EncryptedFormat::calibrate()); },
            [this, password](Result<VaultSession::MasterChange> prepared) {
                setWaiting(false);
                finish(password, std::move(prepared));
            });
}

void frmChangePassword::finish(const QString &password, Result<VaultSession::MasterChange> prepared)
{
    if (isUnloading())
        return;
    if (Result<void> changed = m_ctx.session().finishMasterChange(password, std::move(prepared)); !changed) {
        refuse(u"The master password was NOT changed.\n\n"_s + changed.message(), u"Error"_s);
        return;
    }
    m_status.SetStatus(u"Master password changed.  Data saved."_s);
    m_ctx.windows.Unload(this);
}

void frmChangePassword::setWaiting(bool waiting)
{
    Controls::setWaiting({txtCurrent, txtNew, txtRetype, cmdOK, cmdCancel}, waiting);
}
