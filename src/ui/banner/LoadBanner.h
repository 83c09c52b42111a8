#pragma once

class AppContext;
class QWidget;
class WebView;

namespace modSkin {

// Asks, with one light request, whether the banner page can be had, while the
// main window is still hidden behind the password dialog. If it can, the window
// is readied for web pages before it is first shown; otherwise the web engine
// and its drawing path cost nothing.
void ProbeBanner(AppContext &context, QWidget &window, WebView &banner);

// Puts the main window's banner browser (wbBanner) into a borderless frame ("picBox")
// that crops its scroll bar away, shows it in place of the stand-in picture (wbPicture) and,
// once a light request has found the banner page, starts loading it; it does not
// wait for either. Without the page, the offline banner fills the band.
void LoadBanner(AppContext &context, QWidget &window);

} // namespace modSkin
