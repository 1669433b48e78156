#pragma once

#include <QString>

class QComboBox;

namespace quillon {

// Clears the combo box and adds the items of a comma-separated list in order, unchanged (empty
// items count; an empty list gives no items). Afterwards nothing is selected (currentIndex -1)
// and the text is empty. A null combo box is left alone.
void FillComboFromList(QComboBox* combo, const QString& list);

}  // namespace quillon
