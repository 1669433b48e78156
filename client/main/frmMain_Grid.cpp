#include "main/frmMain.h"

// SKELETON: the record grid is being built.

namespace quillon {

void frmMain::FillDomainUserGrid() {}
void frmMain::lvDomainUser_Click() {}
void frmMain::lvDomainUser_ColumnClick(int) {}
void frmMain::LoadGridRecord() {}
void frmMain::cmdDeleteGrid_Click() {}
void frmMain::applySort() {}

}  // namespace quillon
