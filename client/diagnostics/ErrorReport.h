#pragma once

#include <QString>

#include "platform/ClientError.h"

namespace quillon {

// The one error report that ends every client procedure's unexpected error: appends a
// record to the day's log file, beeps, and shows the message box titled "Error".
// `label` names the procedure, as in "frmMain.SaveSettings()".
void ErrorReport(const QString& label, const ClientError& error);

}  // namespace quillon
