#include "desktop/FillComboFromList.h"

#include <QComboBox>

namespace quillon {

void FillComboFromList(QComboBox* combo, const QString& list) {
    if (combo == nullptr) {
        return;
    }
    combo->clear();
    if (list.isEmpty()) {
        return;
    }
    combo->addItems(list.split(QLatin1Char(','), Qt::KeepEmptyParts));
    // Qt selects the first item added to an empty combo box; a filled list has no selection.
    combo->setCurrentIndex(-1);
}

}  // namespace quillon
