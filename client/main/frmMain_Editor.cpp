#include "main/frmMain.h"

// The record editor's entry points. The editor's fields, its validation and Update/Add are
// not built yet: Add, Edit and a double-click on a row do nothing for now.

namespace quillon {

void frmMain::cmdAddGrid_Click() {}

void frmMain::cmdEditGrid_Click() {
    EditGrid();
}

void frmMain::EditGrid() {}

void frmMain::lvDomainUser_DblClick() {
    EditGrid();
}

}  // namespace quillon
