#include "ui/help/Form8.h"

#include "ui/base/AppContext.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/help/RtfReader.h"
#include "ui/help/ShowHelpSetting.h"
#include "ui/skin/modSkin.h"
#include "ui/base/modOnTop.h"
#include "vault/VaultLocation.h"
#include "vault/xfileExists.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextBrowser>

namespace {

// Each load step stands alone: one that fails is skipped and the next still runs.
template <typename Step>
void runIgnoringErrors(Step step)
{
    try {
        step();
    } catch (...) {
    }
}

Qt::CheckState checkStateFor(int value)
{
    switch (value) {
    case 0:
        return Qt::Unchecked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Checked;
    }
}

} // namespace

Form8::Form8(AppContext &context) : Form(context)
{
    setObjectName(QStringLiteral("Form8"));
    // Fixed size: a caption with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Readme/Help"));
    setClientSizeTwips(10290, 7920);

    rtf1 = new QTextBrowser(client());
    rtf1->setObjectName(QStringLiteral("rtf1"));
    Controls::setKind(rtf1, Controls::Kind::RichTextBox);
    rtf1->setOpenLinks(false);
    rtf1->setAccessibleName(QStringLiteral("Help text"));
    Twips::place(rtf1, 0, 0, 10275, 7515);

    Check1 = Controls::checkBox(client(), QStringLiteral("Check1"),
                                QStringLiteral("Show at Startup"), {60, 7620, 1995, 255});
    Check1->setChecked(true);
    // clicked() comes from the user only; changes made at load call Check1_Click themselves.
    connect(Check1, &QCheckBox::clicked, this, &Form8::Check1_UserClicked);
}

QString Form8::helpFilePath() const
{
    const QString besideProgram = m_ctx.applicationFolder() + QStringLiteral("/Help.rtf");
    if (xfileExists::FileExists(besideProgram))
        return besideProgram;
    // An installed program keeps its data apart from the executable.
    return VaultLocation::installedDataFolder(m_ctx.applicationFolder()) + QStringLiteral("/Help.rtf");
}

void Form8::Form_Load()
{
    runIgnoringErrors([this] {
        if (m_ctx.branding.UseSkin)
            modSkin::SkinForm(m_ctx, this);
    });

    bool helpFileFound = false;
    runIgnoringErrors([&] { helpFileFound = xfileExists::FileExists(helpFilePath()); });
    if (!helpFileFound) {
        // Nothing to show: do not stay loaded, so a help file put there later is found.
        m_ctx.windows.Unload(this);
        return;
    }
    runIgnoringErrors([this] { loadHelpFile(); });
    runIgnoringErrors([this] { modOnTop::SetOnTop(this, true); });
    runIgnoringErrors([this] { takeStoredSetting(); });
}

void Form8::loadHelpFile()
{
    QFile file(helpFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    RtfReader::read(file.readAll(), *rtf1->document());
    // Filling the document leaves the view's cursor at the end; the reader starts at the top.
    rtf1->moveCursor(QTextCursor::Start);
}

void Form8::escapePressed()
{
    m_ctx.windows.Unload(this);
}

void Form8::takeStoredSetting()
{
    const QString stored = ShowHelpSetting::read(m_ctx);
    if (const std::optional<int> value = ShowHelpSetting::checkBoxValue(stored))
        setCheck1Value(*value);
}

void Form8::setCheck1Value(int value)
{
    if (value == Check1Value())
        return;
    Check1->setCheckState(checkStateFor(value));
    Check1_Click();
}

int Form8::Check1Value() const
{
    switch (Check1->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 1;
    }
}

void Form8::Check1_UserClicked()
{
    // A click leaves the box checked or unchecked; only the stored value can grey it.
    Check1->setTristate(false);
    Check1_Click();
}

void Form8::Check1_Click()
{
    ShowHelpSetting::write(m_ctx, QString::number(Check1Value()));
}
