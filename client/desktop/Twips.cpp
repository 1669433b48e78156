#include "desktop/Twips.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

namespace quillon {

namespace {
// Logical pixels: Qt scales them for high-density screens itself.
constexpr double kPixelsPerInch = 96.0;

// The font the layout's figures were drawn for: every caption fits its control in it.
constexpr double kLayoutPointSize = 9.0;
const char* const kLayoutFamily = "DejaVu Sans";
// Text whose room the factor measures: the letters and signs the windows' captions use.
const char* const kSample = "Current IPAddress: Connection Status: Username Password Save Login";

// How much larger than the layout's font the application's font draws text: 1 at that font
// or a smaller one. Kept for the font it was measured for, since conversions are many.
double fontFactor() {
    if (QGuiApplication::instance() == nullptr) {
        return 1.0;
    }
    static QFont measured;
    static double factor = 1.0;
    static bool known = false;
    const QFont font = QGuiApplication::font();
    if (known && font == measured) {
        return factor;
    }
    QFont layoutFont(QString::fromLatin1(kLayoutFamily));
    layoutFont.setPointSizeF(kLayoutPointSize);
    const QFontMetricsF layout(layoutFont);
    const QFontMetricsF now(font);
    const QString sample = QString::fromLatin1(kSample);
    factor = std::max({1.0, now.horizontalAdvance(sample) / layout.horizontalAdvance(sample),
                       now.height() / layout.height()});
    measured = font;
    known = true;
    return factor;
}
}  // namespace

double twipsFontFactor() {
    return fontFactor();
}

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * kPixelsPerInch * fontFactor() / kTwipsPerInch));
}

int pixelsToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / (kPixelsPerInch * fontFactor())));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

}  // namespace quillon
