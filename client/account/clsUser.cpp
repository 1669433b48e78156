#include "account/clsUser.h"

namespace quillon {

clsUser& objUser() {
    static clsUser user;
    return user;
}

}  // namespace quillon
