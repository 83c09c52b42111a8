#pragma once

#include "ui/skin/SkinDescription.h"

#include <QString>
#include <QVariant>
#include <memory>

class QWidget;

// The skin object: holds one skin and draws windows in it. Its colours are
// read by dispatch identifier, as the windows' skinning asks for them.
class SkinControl
{
public:
    static constexpr int BackColorId = 2;
    static constexpr int ForeColorId = 3;
    static constexpr int PanelColorId = 4;
    static constexpr const char *StandardSkinPath = ":/skin/standard.skin";

    explicit SkinControl(SkinDescription skin);

    // Null when the description cannot be read.
    static std::shared_ptr<SkinControl> load(const QString &path);
    static std::shared_ptr<SkinControl> standard() { return load(QString::fromLatin1(StandardSkinPath)); }

    const SkinDescription &skin() const { return m_skin; }
    // A colour (QColor) for the identifiers above; invalid for any other.
    QVariant property(int dispatchId) const;
    // Draws the window, and whatever it will hold, in the skin from now on.
    void apply(QWidget *window) const;
    QString styleSheet() const { return m_styleSheet; }

private:
    SkinDescription m_skin;
    QString m_styleSheet;
};
