#include "login/clsUser.h"

namespace quillon {

clsUser& objUser() {
    static clsUser user;
    return user;
}

}  // namespace quillon
