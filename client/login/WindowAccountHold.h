#pragma once

#include <QString>

namespace quillon {

// The window's hold on the account it logs in to: from the login action until the Log Off or
// the close has saved the settings, a quillon-update of the same account and store sends no
// check. A check of quillon-update that is under way when the login starts ends first; the
// window keeps painting meanwhile.
void HoldAccountForWindow(const QString& account);
void ReleaseAccountForWindow();
// The account the window holds now; empty when none.
QString AccountHeldByWindow();

}  // namespace quillon
