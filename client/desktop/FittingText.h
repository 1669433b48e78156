#pragma once

class QLabel;

namespace quillon {

// Keeps a one-line label's whole text within its width: when its text, in the font it was given,
// is wider than the label, the label draws it condensed and, should that not do, smaller, down
// to three quarters of the size. Checked whenever the label is resized, repainted or recoloured
// (the window's status line changes its colour with its text).
void KeepTextWithinWidth(QLabel* label);

}  // namespace quillon
