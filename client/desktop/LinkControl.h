#pragma once

#include <functional>

class QColor;
class QLabel;

namespace quillon {

// Makes a label that looks clickable (a link's text, a help picture) a control of its own:
// Tab reaches it (a mouse click leaves the focus where it was), a click, Enter or Space runs
// `action`, a dotted frame shows the focus, and assistive technology sees a link named by the
// label's accessible name (or else its text) whose press action runs it. The behaviour lives as
// long as the label.
void MakeLink(QLabel* label, std::function<void()> action);

// Gives a link's text its look: `color`, underlined. Through the palette and the font rather
// than a style sheet, which would bring Qt's style-sheet machinery into every window that shows
// a link, its code and its caches, for two properties.
void ShowAsLink(QLabel* label, const QColor& color);

}  // namespace quillon
