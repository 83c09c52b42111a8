#pragma once

#include <QColor>
#include <QList>
#include <memory>

class AppContext;
class Form;
class QLabel;
class QWidget;
class SkinControl;

// Draws the program's windows in the skin. Only called when the branding's
// UseSkin is on; with it off, no window is touched.
namespace modSkin {

// Colours the window's controls and has the skin draw the window. When no skin
// object exists yet in this run, the splash window is loaded once (hidden, its
// timer stopped) to provide it. False when there is still no skin after that.
bool SkinForm(AppContext &context, Form *window);

// Gives the window's controls the skin's colours, by kind:
// buttons their background, fields and lists background and text, picture
// boxes the panel colour. Other kinds are left alone.
void ColorControls(Form *window, const QColor &background, const QColor &text,
                   const QColor &panel);

// The window's plain labels (kind "Label"), in the order of its controls; with a
// container given, only those placed directly in it.
QList<QLabel *> Labels(const Form *window, const QWidget *container = nullptr);
// Adds a skinned label over each label, as new members of the array whose
// (hidden) first member is the template: same place, font, text and
// visibility. Returns the new members in the order of the labels.
QList<QLabel *> CopyLabels(const QLabel *model, const QList<QLabel *> &labels);

// At splash time: hands the skin to the skin service and starts it; a service
// that cannot start does not stop start-up.
void StartSkinService(AppContext &context, const std::shared_ptr<SkinControl> &control);
// When the program ends.
void StopSkinService(AppContext &context);

} // namespace modSkin
