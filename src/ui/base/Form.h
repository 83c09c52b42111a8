#pragma once

#include <QWidget>

class AppContext;
class QMenuBar;
class QVBoxLayout;

// A window of the program. It is loaded (created, then Form_Load), shown and
// unloaded (Form_Unload, then destroyed) through the WindowHost, which keeps at
// most one of each kind. A window only announces that it closes; the host decides. Its controls sit in client() at designed twips.
class Form : public QWidget
{
    Q_OBJECT

public:
    // Caption and borders, in twips: what the outer size adds to the client area.
    static constexpr int NonClientWidth = 90;
    static constexpr int NonClientHeight = 450;
    // A caption with the system menu and a close box, and nothing to resize with.
    static constexpr Qt::WindowFlags CaptionAndCloseBox =
            Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

    explicit Form(AppContext &context);

    virtual void Form_Load() {}
    // Asked before the window unloads; false keeps it open. Ending the program skips it.
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}

    QWidget *client() const { return m_client; }
    QMenuBar *menuBar();

    // Fixed-size windows: the client area in twips, the window fitted around it.
    void setClientSizeTwips(int width, int height);
    // Client size in twips: as designed for fixed-size windows, as it is now for sizable ones.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Outer size in twips, as the window's Width and Height.
    int WidthTwips() const;
    int HeightTwips() const;
    void setHeightTwips(int height);

    void centreOnScreen();
    bool isUnloading() const { return m_unloading; }
    void markUnloading() { m_unloading = true; }

signals:
    // The close box, or the window's own wish to close: the host unloads it.
    void unloadRequested(Form *window);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Escape that no control took; does nothing unless a window gives it a meaning.
    virtual void escapePressed() {}
    // Enter that no control took; false lets it go on as before.
    virtual bool enterPressed() { return false; }

    AppContext &m_ctx;

private:
    QVBoxLayout *m_layout = nullptr;
    QWidget *m_client = nullptr;
    QMenuBar *m_menuBar = nullptr;
    int m_clientWidth = 0; // 0 until the window is given a fixed size
    int m_clientHeight = 0;
    bool m_unloading = false;
};
