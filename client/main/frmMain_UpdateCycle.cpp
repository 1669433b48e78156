#include "main/frmMain.h"

// SKELETON: the update cycle is being built.

namespace quillon {

void frmMain::tmrAuto_Timer() {}
void frmMain::tmrTimes_Timer() {}
void frmMain::ShowUpTime() {}
void frmMain::UpdateDomainAutoIPs(QString&) {}
void frmMain::UpdateAutoIpList() {}
void frmMain::runIPCheck() {}
void frmMain::repointFreeHost() {}
void frmMain::retryPendingReAdds(const QString&) {}
void frmMain::loadPendingReAdds() {}
void frmMain::savePendingReAdds() {}

}  // namespace quillon
