#pragma once

#include <QPointer>
#include <QWidget>

// A frame drawn over whichever control has the keyboard focus, in every window.
// It is its own widget, so no style or skin style sheet can hide it.
class FocusMark : public QWidget
{
public:
    // Starts following the focus for the whole application; once is enough.
    static void followFocus();

    static constexpr int Thickness = 2;
    // A colour that stands out on light, dark and skinned controls alike.
    static QColor colour() { return {0xE0, 0x60, 0x00}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FocusMark();
    void markControl(QWidget *control);
    void fitToControl();

    QPointer<QWidget> m_control;
};
