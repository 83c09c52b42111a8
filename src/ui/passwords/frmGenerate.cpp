#include "ui/passwords/frmGenerate.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/StrengthMeter.h"
#include "ui/passwords/GeneratorChoices.h"
#include "ui/skin/modSkin.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <cmath>

using namespace Qt::StringLiterals;

frmGenerate::frmGenerate(AppContext &context) : Form(context)
{
    setObjectName(u"frmGenerate"_s);
    setWindowFlags(CaptionAndCloseBox);
    setWindowTitle(u"Generate Password"_s);
    setFont(Controls::verdana(8.25));
    setClientSizeTwips(6240, 3780);
    createControls();
}

void frmGenerate::createControls()
{
    QWidget *area = client();
    txtGenerated = Controls::textBox(area, u"txtGenerated"_s, {120, 120, 6000, 315});
    txtGenerated->setReadOnly(true);
    txtGenerated->setAccessibleName(u"Generated password"_s);
    // Look-alikes stay told apart where they are allowed.
    txtGenerated->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    strength = new StrengthMeter(txtGenerated, {120, 540, 2880, 195}, {3120, 510, 1320, 255});
    lblEntropy = Controls::label(area, u"lblEntropy"_s, QString(), {4440, 510, 1680, 255});
    lblEntropy->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // In the meter's place when the choices make no password.
    lblRefusal = Controls::label(area, u"lblRefusal"_s, QString(), {120, 510, 6000, 255});
    lblRefusal->hide();

    optCharacters = Controls::optionButton(area, u"optCharacters"_s, u"&Characters"_s, {120, 900, 2880, 255});
    lblLength = Controls::label(area, u"lblLength"_s, u"&Length:"_s, {360, 1275, 1080, 255});
    spnLength = Controls::spinBox(area, u"spnLength"_s, PasswordGenerator::MinLength,
                                  PasswordGenerator::MaxLength, {1440, 1230, 900, 315});
    chkUpper = Controls::checkBox(area, u"chkUpper"_s, u"&Upper case (A-Z)"_s, {360, 1620, 2640, 255});
    chkLower = Controls::checkBox(area, u"chkLower"_s, u"Lo&wer case (a-z)"_s, {360, 1920, 2640, 255});
    chkDigits = Controls::checkBox(area, u"chkDigits"_s, u"&Digits (0-9)"_s, {360, 2220, 2640, 255});
    chkSymbols = Controls::checkBox(area, u"chkSymbols"_s, u"&Symbols (!#$%...)"_s, {360, 2520, 2640, 255});
    chkExcludeLookAlikes = Controls::checkBox(area, u"chkExcludeLookAlikes"_s,
                                              u"E&xclude look-alikes (I l 1 O 0)"_s, {360, 2820, 3000, 255});

    optPassphrase = Controls::optionButton(area, u"optPassphrase"_s, u"&Passphrase"_s, {3360, 900, 2760, 255});
    lblWords = Controls::label(area, u"lblWords"_s, u"W&ords:"_s, {3600, 1275, 1080, 255});
    spnWords = Controls::spinBox(area, u"spnWords"_s, PasswordGenerator::MinWords, PasswordGenerator::MaxWords,
                                 {4680, 1230, 900, 315});
    lblSeparator = Controls::label(area, u"lblSeparator"_s, u"S&eparator:"_s, {3600, 1665, 1080, 255});
    txtSeparator = Controls::textBox(area, u"txtSeparator"_s, {4680, 1620, 900, 315});
    lblLength->setBuddy(spnLength);
    lblWords->setBuddy(spnWords);
    lblSeparator->setBuddy(txtSeparator);

    cmdUse = Controls::commandButton(area, u"cmdUse"_s, u"&Use"_s, {2145, 3240, 1095, 420});
    cmdGenerateAgain = Controls::commandButton(area, u"cmdGenerateAgain"_s, u"Generate &Again"_s,
                                               {3330, 3240, 1695, 420});
    cmdCancel = Controls::commandButton(area, u"cmdCancel"_s, u"Cancel"_s, {5115, 3240, 1005, 420});
    // The default button, drawn as such; Enter reaches it through the window.
    QFont bold = cmdUse->font();
    bold.setBold(true);
    cmdUse->setFont(bold);

    auto *modes = new QButtonGroup(this);
    modes->addButton(optCharacters);
    modes->addButton(optPassphrase);

    Controls::tabOrder({txtGenerated, optCharacters, spnLength, chkUpper, chkLower, chkDigits, chkSymbols,
                        chkExcludeLookAlikes, optPassphrase, spnWords, txtSeparator, cmdUse, cmdGenerateAgain,
                        cmdCancel});

    connect(cmdUse, &QPushButton::clicked, this, &frmGenerate::cmdUse_Click);
    connect(cmdGenerateAgain, &QPushButton::clicked, this, &frmGenerate::cmdGenerateAgain_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGenerate::cmdCancel_Click);
}

void frmGenerate::Form_Load()
{
    showChoices(GeneratorChoices::read(m_ctx));
    // The two modes are one choice: only the one switched on reports.
    connect(optPassphrase, &QRadioButton::toggled, this, &frmGenerate::choicesChanged);
    for (QCheckBox *choice : {chkUpper, chkLower, chkDigits, chkSymbols, chkExcludeLookAlikes})
        connect(choice, &QCheckBox::toggled, this, &frmGenerate::choicesChanged);
    for (QSpinBox *count : {spnLength, spnWords})
        connect(count, &QSpinBox::valueChanged, this, &frmGenerate::choicesChanged);
    connect(txtSeparator, &QLineEdit::textEdited, this, &frmGenerate::choicesChanged);
    generate();
    cmdUse->setFocus();
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
}

void frmGenerate::showChoices(const GeneratorOptions &options)
{
    const bool passphrase = options.mode == GeneratorOptions::Mode::Passphrase;
    optPassphrase->setChecked(passphrase);
    optCharacters->setChecked(!passphrase);
    spnLength->setValue(options.length);
    chkUpper->setChecked(options.upper);
    chkLower->setChecked(options.lower);
    chkDigits->setChecked(options.digits);
    chkSymbols->setChecked(options.symbols);
    chkExcludeLookAlikes->setChecked(options.excludeLookAlikes);
    spnWords->setValue(options.words);
    txtSeparator->setText(options.separator);
}

GeneratorOptions frmGenerate::chosen() const
{
    GeneratorOptions options;
    options.mode = optPassphrase->isChecked() ? GeneratorOptions::Mode::Passphrase
                                              : GeneratorOptions::Mode::Characters;
    options.length = spnLength->value();
    options.upper = chkUpper->isChecked();
    options.lower = chkLower->isChecked();
    options.digits = chkDigits->isChecked();
    options.symbols = chkSymbols->isChecked();
    options.excludeLookAlikes = chkExcludeLookAlikes->isChecked();
    options.words = spnWords->value();
    options.separator = txtSeparator->text();
    return options;
}

// Enter in a number box reports its value again; what is shown stays until a choice really changes.
void frmGenerate::choicesChanged()
{
    const GeneratorOptions options = chosen();
    if (options == m_shownFor)
        return;
    GeneratorChoices::write(m_ctx, options);
    generate();
}

void frmGenerate::generate()
{
    const GeneratorOptions options = chosen();
    m_shownFor = options;
    const bool passphrase = options.mode == GeneratorOptions::Mode::Passphrase;
    for (QWidget *control : std::initializer_list<QWidget *>{lblLength, spnLength, chkUpper, chkLower, chkDigits,
                                                             chkSymbols, chkExcludeLookAlikes})
        control->setEnabled(!passphrase);
    for (QWidget *control : std::initializer_list<QWidget *>{lblWords, spnWords, lblSeparator, txtSeparator})
        control->setEnabled(passphrase);

    Result<QString> password = PasswordGenerator::generate(options);
    cmdUse->setEnabled(password.ok());
    cmdGenerateAgain->setEnabled(password.ok());
    strength->setVisible(password.ok());
    lblEntropy->setVisible(password.ok());
    lblRefusal->setVisible(!password.ok());
    if (!password) {
        txtGenerated->clear();
        lblRefusal->setText(password.message() + u"."_s);
        return;
    }
    txtGenerated->setText(password.value());
    txtGenerated->setCursorPosition(0);
    lblEntropy->setText(u"%1 bits of entropy"_s.arg(std::lround(PasswordGenerator::entropyBits(options))));
}

void frmGenerate::cmdUse_Click()
{
    if (txtGenerated->text().isEmpty())
        return;
    emit passwordChosen(txtGenerated->text());
    m_ctx.windows.Unload(this);
}

void frmGenerate::cmdGenerateAgain_Click()
{
    generate();
}

void frmGenerate::cmdCancel_Click()
{
    m_ctx.windows.Unload(this);
}

void frmGenerate::escapePressed()
{
    cmdCancel->click();
}

bool frmGenerate::enterPressed()
{
    cmdUse->click();
    return true;
}
