#include "desktop/Twips.h"

#include <cmath>

namespace quillon {

namespace {
// Logical pixels: Qt scales them for high-density screens itself.
constexpr double kPixelsPerInch = 96.0;
}  // namespace

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * kPixelsPerInch / kTwipsPerInch));
}

int pixelsToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / kPixelsPerInch));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

}  // namespace quillon
