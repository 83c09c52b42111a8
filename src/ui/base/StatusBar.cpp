#include "ui/base/StatusBar.h"

#include "ui/base/Controls.h"
#include "ui/base/Twips.h"

#include <QHBoxLayout>
#include <QLabel>

StatusBar::StatusBar(QWidget *parent) : QWidget(parent)
{
    Controls::setKind(this, Controls::Kind::StatusBar);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(2);
    m_layout->addStretch(1);
    addPanel();
}

int StatusBar::addPanel()
{
    auto *panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setTextInteractionFlags(Qt::NoTextInteraction);
    // Panels show entries and page texts: never read them as markup.
    panel->setTextFormat(Qt::PlainText);
    panel->setMinimumWidth(0);
    m_layout->insertWidget(panelCount(), panel);
    m_panels.push_back(panel);
    m_widths.push_back(1440);
    setPanelWidth(panelCount(), 1440);
    return panelCount();
}

QLabel *StatusBar::panelAt(int panel) const
{
    return m_panels.at(static_cast<size_t>(panel - 1));
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    panelAt(panel)->setText(text);
}

QString StatusBar::panelText(int panel) const
{
    return panelAt(panel)->text();
}

void StatusBar::setPanelWidth(int panel, int twips)
{
    m_widths.at(static_cast<size_t>(panel - 1)) = twips;
    // A panel wider than the bar is clipped by it, as on the desktop it came from.
    panelAt(panel)->setFixedWidth(Twips::toPixels(twips));
}

int StatusBar::panelWidth(int panel) const
{
    return m_widths.at(static_cast<size_t>(panel - 1));
}
