#include "ui/skin/SkinStyleSheet.h"

#include "ui/skin/SkinDescription.h"

#include <QColor>
#include <utility>
#include <vector>

namespace SkinStyleSheet {

namespace {

// Our windows have no painted title bar of their own (the desktop draws it),
// so the menu bar carries the skin's title-bar picture instead.
constexpr const char *FrameRules = R"(
QMenuBar {
    border-image: url(@titleBar@) 0 0 0 0 stretch stretch;
    color: @titleText@;
    padding: 1px 2px;
}
QMenuBar::item { background: transparent; color: @titleText@; padding: 3px 9px; }
QMenuBar::item:selected, QMenuBar::item:pressed {
    background-color: rgba(255, 255, 255, 56);
    border-radius: 3px;
}
)";

constexpr const char *ColourRules = R"(
#client, Form, QDialog { background-color: @panel@; }
QMenu { background-color: @back@; border: 1px solid @frameLine@; padding: 2px; }
QMenu::item { color: @fore@; background: transparent; padding: 4px 22px 4px 14px; }
QMenu::item:selected { background-color: @selectionBack@; color: @selectionText@; }
QMenu::item:disabled { color: @disabledText@; }
QMenu::separator { height: 1px; background: @frameLine@; margin: 3px 6px; }
QToolTip {
    background-color: @back@;
    color: @fore@;
    border: 1px solid @frameLine@;
    padding: 2px;
}
QLineEdit, QAbstractItemView, QTextEdit {
    selection-background-color: @selectionBack@;
    selection-color: @selectionText@;
}
QAbstractItemView { alternate-background-color: @alternateBack@; }
StatusBar QLabel { color: @panelText@; }
QGroupBox::title { color: @panelText@; }
)";

// The controls inside the windows, drawn from the skin's pictures.
constexpr const char *ClientAreaRules = R"(
QPushButton, QToolButton {
    border-image: url(@buttonNormal@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
    border-width: @bs@px;
}
QPushButton { padding: 2px 8px; }
QToolButton { padding: 0px; }
QToolButton[toolButtonStyle="ToolButtonTextBesideIcon"] { padding: 0px 4px; }
QPushButton:hover, QToolButton:hover, QPushButton:focus {
    border-image: url(@buttonHover@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
}
QPushButton:pressed, QToolButton:pressed {
    border-image: url(@buttonPressed@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
}
QPushButton:disabled, QToolButton:disabled {
    border-image: url(@buttonDisabled@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
    color: @disabledText@;
}
QHeaderView::section {
    border-image: url(@buttonNormal@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
    border-width: @bs@px;
    padding: 0px 4px;
    color: @panelText@;
}
QHeaderView::section:hover {
    border-image: url(@buttonHover@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
}
QHeaderView::section:pressed {
    border-image: url(@buttonPressed@) @bs@ @bs@ @bs@ @bs@ stretch stretch;
}
QScrollBar:vertical { background: @track@; width: 14px; margin: 0px; }
QScrollBar:horizontal { background: @track@; height: 14px; margin: 0px; }
QScrollBar::handle:vertical {
    border-image: url(@scrollVertical@) @vs@ 0 @vs@ 0 stretch stretch;
    border-width: @vs@px 0px;
    image: url(@scrollVerticalGrip@);
    min-height: 28px;
    margin: 1px;
}
QScrollBar::handle:horizontal {
    border-image: url(@scrollHorizontal@) 0 @hs@ 0 @hs@ stretch stretch;
    border-width: 0px @hs@px;
    image: url(@scrollHorizontalGrip@);
    min-width: 28px;
    margin: 1px;
}
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QGroupBox, QFrame[kindName="Frame"] {
    border-image: url(@frame@) @fs@ @fs@ @fs@ @fs@ stretch stretch;
    border-width: @fs@px;
}
QGroupBox { margin-top: 8px; padding-top: 8px; }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0px 4px; }
StatusBar QLabel {
    border: 1px solid @frameLine@;
    border-radius: 2px;
    background-color: @statusBack@;
    padding: 0px 4px;
}
)";

QString colourText(const QColor &colour)
{
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

std::vector<std::pair<QString, QString>> tokens(const SkinDescription &skin)
{
    const auto colour = colourText;
    const auto number = [](int value) { return QString::number(value); };
    return {
        {QStringLiteral("@back@"), colour(skin.back)},
        {QStringLiteral("@fore@"), colour(skin.fore)},
        {QStringLiteral("@panel@"), colour(skin.panel)},
        {QStringLiteral("@panelText@"), colour(skin.panelText)},
        {QStringLiteral("@alternateBack@"), colour(skin.back.darker(104))},
        {QStringLiteral("@track@"), colour(skin.panel.darker(106))},
        {QStringLiteral("@statusBack@"), colour(skin.panel.lighter(104))},
        {QStringLiteral("@disabledText@"), colour(skin.panelText.lighter(220))},
        {QStringLiteral("@titleBar@"), skin.titleBarImage},
        {QStringLiteral("@titleText@"), colour(skin.titleBarText)},
        {QStringLiteral("@buttonNormal@"), skin.buttonNormal},
        {QStringLiteral("@buttonHover@"), skin.buttonHover},
        {QStringLiteral("@buttonPressed@"), skin.buttonPressed},
        {QStringLiteral("@buttonDisabled@"), skin.buttonDisabled},
        {QStringLiteral("@bs@"), number(skin.buttonSlice)},
        {QStringLiteral("@scrollVertical@"), skin.scrollVertical.image},
        {QStringLiteral("@vs@"), number(skin.scrollVertical.slice)},
        {QStringLiteral("@scrollVerticalGrip@"), skin.scrollVerticalGrip},
        {QStringLiteral("@scrollHorizontal@"), skin.scrollHorizontal.image},
        {QStringLiteral("@scrollHorizontalGrip@"), skin.scrollHorizontalGrip},
        {QStringLiteral("@hs@"), number(skin.scrollHorizontal.slice)},
        {QStringLiteral("@frame@"), skin.frame.image},
        {QStringLiteral("@fs@"), number(skin.frame.slice)},
        {QStringLiteral("@frameLine@"), colour(skin.frameLine)},
        {QStringLiteral("@selectionBack@"), colour(skin.selectionBack)},
        {QStringLiteral("@selectionText@"), colour(skin.selectionText)},
    };
}

} // namespace

QString build(const SkinDescription &skin)
{
    QString sheet = QString::fromLatin1(FrameRules);
    if (skin.applyColors)
        sheet += QString::fromLatin1(ColourRules);
    if (skin.skinClientArea)
        sheet += QString::fromLatin1(ClientAreaRules);
    for (const auto &[token, value] : tokens(skin))
        sheet.replace(token, value);
    return sheet;
}

} // namespace SkinStyleSheet
