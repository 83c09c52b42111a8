#pragma once

#include "ui/base/BackgroundWork.h"
#include "ui/base/Form.h"
#include "vault/VaultSession.h"

class QLabel;
class QLineEdit;
class QPushButton;
class StatusReporter;
class StrengthMeter;

// "Change Master Password": the current password, then the new one twice. The
// vault is written with the new one at once; an encrypted vault gets a fresh
// salt and key, derived off the window thread.
class frmChangePassword : public Form
{
    Q_OBJECT

public:
    frmChangePassword(AppContext &context, StatusReporter &status);

    void Form_Load() override;
    void Form_Unload() override;

    void cmdOK_Click();
    void cmdCancel_Click();
    bool isDerivingKey() const { return m_deriving.isRunning(); }

    QLabel *lblCurrent = nullptr;
    QLineEdit *txtCurrent = nullptr;
    QLabel *lblNew = nullptr;
    QLineEdit *txtNew = nullptr;
    QLabel *lblRetype = nullptr;
    QLineEdit *txtRetype = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblStrength = nullptr;
    StrengthMeter *strength = nullptr;

protected:
    void escapePressed() override;

private:
    void createControls();
    void refuse(const QString &text, const QString &title = {});
    void finish(const QString &password, Result<VaultSession::MasterChange> prepared);
    void setWaiting(bool waiting);

    StatusReporter &m_status;
    BackgroundWork<Result<VaultSession::MasterChange>> m_deriving;
};
