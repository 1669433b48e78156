#pragma once

namespace quillon {

// Program-wide flags shared by the login, the main window and shutdown.
extern bool bLoggedIn;   // a login succeeded
extern bool bSaveLogin;  // save the user name and password for the automatic login
extern bool bExiting;    // the Exit command is closing every window

}  // namespace quillon
