#pragma once

#include "ui/base/Form.h"

#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class StatusBar;
class WebView;

// Sizes the browser window's layout sets, in twips, from the window's outer size.
struct BrowserLayout {
    float panel1Width = 0;
    float panel2Width = 0;
    float frameHeight = 0;
    float frameWidth = 0;
    float addressWidth = 0;
    float goLeft = 0;
    float browserWidth = 0;
    float browserHeight = 0;
};

// The built-in web browser: an address line, navigation buttons, the page and
// a two-panel status bar. Opens maximized at the maker's web site. It may
// outlive the main window; then closing it ends the program.
class frmWebsite : public Form
{
    Q_OBJECT

public:
    // The client area when the window is restored.
    static constexpr int RestoredWidth = 10545;
    static constexpr int RestoredHeight = 8580;

    explicit frmWebsite(AppContext &context);

    void Form_Load() override;
    void Form_Unload() override;
    // The main window closed while this one stayed open: closing this ends the program.
    void endProgramWhenClosed() { m_endsProgram = true; }
    bool endsProgramWhenClosed() const { return m_endsProgram; }
    void Form_Resize();
    void Form_Paint();

    // The layout for a window of this outer size (twips), from the designed
    // lefts and tops; negative results are turned positive, never clamped.
    BrowserLayout layoutFor(float W, float H) const;

    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Text1_KeyPress(int KeyAscii);

    void WebBrowser1_StatusTextChange(const QString &Text);
    void WebBrowser1_DownloadBegin();
    void WebBrowser1_DownloadComplete();

    QSize sizeHint() const override;

    QGroupBox *frmBrowser = nullptr;
    QToolButton *Command3 = nullptr; // go
    QToolButton *Command4 = nullptr; // back
    QToolButton *Command5 = nullptr; // forward
    QToolButton *Command6 = nullptr; // stop
    QToolButton *Command7 = nullptr; // refresh
    QLineEdit *Text1 = nullptr;
    QLabel *Label5 = nullptr;
    WebView *WebBrowser1 = nullptr;
    StatusBar *StatusBar1 = nullptr;
    // Skinned copies of the labels join the hidden template at index 0.
    std::vector<QLabel *> SkinLabel1;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void createFrame();
    void createNavigation();
    void createBrowser();
    void createStatusBar();
    void setTabOrder();
    void applyLayout(const BrowserLayout &layout);

    bool m_endsProgram = false;
};
