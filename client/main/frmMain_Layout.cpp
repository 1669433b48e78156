#include <QFrame>

#include "main/frmMain.h"

// SKELETON: the layout is being built.

namespace quillon {

void frmMain::ShowFrame(const QString& mode) {
    frameGrid_->setVisible(mode == QLatin1String("Grid"));
    frameCorvaneDomain_->setVisible(mode == QLatin1String("Corvane"));
}
void frmMain::Form_Resize() {}

}  // namespace quillon
