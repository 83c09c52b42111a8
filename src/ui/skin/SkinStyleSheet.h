#pragma once

#include <QString>

struct SkinDescription;

// The style sheet that draws a window in a skin: its colours for the window
// surfaces, its pictures for the buttons, bars, headers and frames.
namespace SkinStyleSheet {

QString build(const SkinDescription &skin);

} // namespace SkinStyleSheet
