#include "ui/skin/SkinControl.h"

#include "ui/skin/SkinStyleSheet.h"

#include <QWidget>

SkinControl::SkinControl(SkinDescription skin)
    : m_skin(std::move(skin)), m_styleSheet(SkinStyleSheet::build(m_skin))
{
}

std::shared_ptr<SkinControl> SkinControl::load(const QString &path)
{
    std::optional<SkinDescription> skin = SkinDescription::load(path);
    if (!skin)
        return nullptr;
    return std::make_shared<SkinControl>(std::move(*skin));
}

QVariant SkinControl::property(int dispatchId) const
{
    switch (dispatchId) {
    case BackColorId:
        return m_skin.back;
    case ForeColorId:
        return m_skin.fore;
    case PanelColorId:
        return m_skin.panel;
    default:
        return {};
    }
}

void SkinControl::apply(QWidget *window) const
{
    window->setStyleSheet(m_styleSheet);
}
