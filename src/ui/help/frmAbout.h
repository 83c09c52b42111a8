#pragma once

#include "ui/base/Form.h"

class QLabel;

// The About window: product name, version, owner and web site over our logo.
class frmAbout : public Form
{
    Q_OBJECT

public:
    explicit frmAbout(AppContext &context);

    void Form_Load() override;
    // Opens the built-in browser, or brings it forward when it is open.
    void lblWebsite_Click();

    // "major.minor" of the version information: 1.0 for 1.0.0.0.
    static QString versionText(int major, int minor);

    QLabel *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *lblWebsite = nullptr;
    QLabel *SkinLabel1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void escapePressed() override;

private:
    void createPicture();
    void createTextLabels();
};
