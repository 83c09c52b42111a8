#pragma once

#include "ui/base/Form.h"

class QCheckBox;
class QTextBrowser;

// The Readme/Help window: Help.rtf from the application folder, with the
// "Show at Startup" box that decides whether it opens by itself.
class Form8 : public Form
{
    Q_OBJECT

public:
    explicit Form8(AppContext &context);

    // Without a help file the window unloads itself at once, so nothing shows.
    void Form_Load() override;

    // Stores the box's value at once, on every change.
    void Check1_Click();

    QString helpFilePath() const;
    // The box's value as stored: 0 unchecked, 1 checked, 2 greyed.
    int Check1Value() const;

    QTextBrowser *rtf1 = nullptr;
    QCheckBox *Check1 = nullptr;

protected:
    void escapePressed() override;

private:
    void loadHelpFile();
    void takeStoredSetting();
    void setCheck1Value(int value);
    void Check1_UserClicked();
};
