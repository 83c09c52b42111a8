#pragma once

#include <QObject>
#include <memory>

class SkinControl;

// Runs beside the skin while the program lives: dialogs that no window of
// ours owns (message boxes) are drawn in the skin as they appear.
class SkinService : public QObject
{
    Q_OBJECT

public:
    SkinService();
    ~SkinService() override;

    void setControl(std::shared_ptr<SkinControl> control);
    // False when there is no skin to serve.
    bool start();
    void stop();
    bool isRunning() const { return m_running; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::shared_ptr<SkinControl> m_control;
    bool m_running = false;
};
