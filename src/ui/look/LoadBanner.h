#pragma once

class AppContext;
class Form1;

namespace modSkin {

// How the window measures its controls (the scale modes of the designer).
enum class ScaleMode { User = 0, Twips = 1, Points = 2, Pixels = 3 };

// How much narrower than the banner's browser its frame is, so that the
// browser's vertical scroll bar lies outside the frame and is not seen.
int BannerCropWidth(ScaleMode mode);

// Asks, with one light request, whether the banner page can be had, while the
// main window is still hidden behind the password dialog. If it can, the window
// is readied for web pages before it is first shown; otherwise the web engine
// and its drawing path cost nothing.
void ProbeBanner(AppContext &context, Form1 &window);

// Puts the main window's banner browser into a borderless frame ("picBox")
// that crops its scroll bar away, shows it in place of the stand-in picture and,
// once a light request has found the banner page, starts loading it; it does not
// wait for either. Without the page, the offline banner fills the band.
void LoadBanner(AppContext &context, Form1 &window);

} // namespace modSkin
