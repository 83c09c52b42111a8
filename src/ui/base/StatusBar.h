#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QHBoxLayout;

// A status bar of text panels, addressed 1-based like the windows use them.
class StatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent);

    int addPanel();
    int panelCount() const { return static_cast<int>(m_panels.size()); }
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    void setPanelWidth(int panel, int twips);
    int panelWidth(int panel) const;

private:
    QLabel *panelAt(int panel) const;

    QHBoxLayout *m_layout;
    std::vector<QLabel *> m_panels;
    std::vector<int> m_widths;
};
