#pragma once

namespace hivekit {

// Counts that decide whether the library may be unloaded: live objects (CRegistry objects
// and class factories) and LockServer locks.
void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);
bool ServerInUse();

}  // namespace hivekit
