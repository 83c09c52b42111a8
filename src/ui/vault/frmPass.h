#pragma once

#include "platform/Platform.h"
#include "ui/base/BackgroundWork.h"
#include "ui/base/Form.h"
#include "vault/VaultSession.h"

#include <QTimer>

class QLabel;
class QLineEdit;
class QPushButton;
class StrengthMeter;

// "Password Required": creates the master password on first use, otherwise
// asks for it with three tries. The main window stays hidden until it is
// accepted; leaving the dialog any other way ends the program.
class frmPass : public Form
{
    Q_OBJECT

public:
    static constexpr int TimerInterval = 100;
    static constexpr int AllowedTries = 3;

    enum class Mode {
        Create, // no master password yet: the dialog creates one
        Check,
    };

    frmPass(AppContext &context, Mode mode);
    Mode mode() const { return m_mode; }

    void Form_Load() override;
    void Form_Unload() override;

    void cmdOK_Click();
    void cmdCancel_Click();
    void Timer1_Timer();
    void txtPass_KeyPress(int KeyAscii);
    void txtPass2_KeyPress(int KeyAscii);

    QLabel *SkinLabel1 = nullptr;
    QLabel *SkinLabel2 = nullptr;
    QLabel *SkinLabel3 = nullptr;
    QLineEdit *txtPass = nullptr;
    QLineEdit *txtPass2 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    // How strong the new password is, in create mode.
    QLabel *lblStrength = nullptr;
    StrengthMeter *strength = nullptr;
    QTimer Timer1;
    int FailedTries = 0;

    // True while an encrypted vault's key is being derived from the typed password.
    bool isCheckingPassword() const { return m_unlocking.isRunning(); }

signals:
    // The vault is open, with what the status line should say; the dialog closes right after.
    void vaultOpened(const QString &status);

private:
    void createControls();
    void setTabOrder();
    void layOutForCreating();
    void layOutForChecking();
    void acceptNewPassword();
    void checkPassword();
    void acceptOrRefuse(const QString &password, Result<VaultSession::Unlocking> prepared);
    void setWaiting(bool waiting);
    void refuseWrongPassword();
    void leaveAndEndProgram();
    const Mode m_mode;
    // Set once create mode accepted a password, which is written after the dialog hides.
    bool m_newPasswordAccepted = false;
    BackgroundWork<Result<VaultSession::Unlocking>> m_unlocking;

    platform::MsgResult askUser(const QString &text, platform::MsgButtons buttons,
                                const QString &title = {});
};
