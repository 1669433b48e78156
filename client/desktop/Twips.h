#pragma once

#include <QRect>

namespace quillon {

// Window geometry is kept in twips, as the design gives it, and converted here only:
// 1440 twips per logical inch, so 15 twips per pixel at 96 dpi.
constexpr int kTwipsPerInch = 1440;

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// A rectangle given as left, top, width and height in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

}  // namespace quillon
