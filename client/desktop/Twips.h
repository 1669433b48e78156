#pragma once

#include <QRect>

namespace quillon {

// Window geometry is kept in twips, as the design gives it, and converted here only:
// 1440 twips per logical inch, so 15 twips per pixel at 96 dpi and the layout's own font
// (9 pt DejaVu Sans). With a larger application font the twip grows with the font's text, so
// that every caption keeps the room the layout gave it; a smaller font changes nothing.
constexpr int kTwipsPerInch = 1440;

// How many times the layout's font the application font's text is wide or high (at least 1).
double twipsFontFactor();

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// A rectangle given as left, top, width and height in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

}  // namespace quillon
