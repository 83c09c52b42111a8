#pragma once

#include "ui/base/Form.h"

#include <QTimer>
#include <memory>

class QLabel;
class SkinControl;

// The first window: shows the splash picture, fills the branding record and,
// after a fixed number of timer ticks, says so; the program's start then
// brings up the main window.
class frmSplash : public Form
{
    Q_OBJECT

public:
    static constexpr int TicksBeforeMainWindow = 75;

    explicit frmSplash(AppContext &context);

    void Form_Load() override;
    // Closed before the main window exists (Alt+F4): nothing else would ever show, so end.
    void Form_Unload() override;
    void Timer2_Timer();

    QLabel *Image1 = nullptr;
    QTimer Timer2;
    int intTemp = 0;
    // The program's skin; made only when the branding asks for the skin.
    std::shared_ptr<SkinControl> skn;

signals:
    void countedDown();
};
