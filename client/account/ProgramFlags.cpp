#include "account/ProgramFlags.h"

namespace quillon {

bool bLoggedIn = false;
bool bSaveLogin = false;
bool bExiting = false;

}  // namespace quillon
