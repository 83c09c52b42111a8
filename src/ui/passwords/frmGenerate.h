#pragma once

#include "ui/base/Form.h"
#include "vault/PasswordGenerator.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class StrengthMeter;

// "Generate Password": a random password or passphrase, drawn again on every
// change of the choices, which are kept for next time. Use hands it over.
class frmGenerate : public Form
{
    Q_OBJECT

public:
    explicit frmGenerate(AppContext &context);

    void Form_Load() override;

    void cmdUse_Click();
    void cmdGenerateAgain_Click();
    void cmdCancel_Click();

    QLineEdit *txtGenerated = nullptr;
    StrengthMeter *strength = nullptr;
    QLabel *lblEntropy = nullptr;
    QLabel *lblRefusal = nullptr;
    QRadioButton *optCharacters = nullptr;
    QRadioButton *optPassphrase = nullptr;
    QLabel *lblLength = nullptr;
    QSpinBox *spnLength = nullptr;
    QCheckBox *chkUpper = nullptr;
    QCheckBox *chkLower = nullptr;
    QCheckBox *chkDigits = nullptr;
    QCheckBox *chkSymbols = nullptr;
    QCheckBox *chkExcludeLookAlikes = nullptr;
    QLabel *lblWords = nullptr;
    QSpinBox *spnWords = nullptr;
    QLabel *lblSeparator = nullptr;
    QLineEdit *txtSeparator = nullptr;
    QPushButton *cmdUse = nullptr;
    QPushButton *cmdGenerateAgain = nullptr;
    QPushButton *cmdCancel = nullptr;

signals:
    // Use: the password goes into the box this window was opened for.
    void passwordChosen(const QString &password);

protected:
    void escapePressed() override;
    // Use is the window's default.
    bool enterPressed() override;

private:
    void createControls();
    void showChoices(const GeneratorOptions &options);
    GeneratorOptions chosen() const;
    void choicesChanged();
    void generate();

    GeneratorOptions m_shownFor;
};
