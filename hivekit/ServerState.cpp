#include "ServerState.h"

#include <atomic>

namespace hivekit {

namespace {
std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};
}  // namespace

void ObjectCreated() {
    ++gObjects;
}
void ObjectDestroyed() {
    --gObjects;
}
void ServerLocked(bool lock) {
    if (lock) {
        ++gLocks;
    } else if (gLocks > 0) {
        --gLocks;
    }
}
bool ServerInUse() {
    return gObjects > 0 || gLocks > 0;
}

}  // namespace hivekit
