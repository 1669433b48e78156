#pragma once

namespace hivekit {

// Counts that decide whether the library may be unloaded: live CRegistry objects and
// LockServer locks (a class factory by itself does not count).
void ObjectCreated();
void ObjectDestroyed();
void ServerLocked(bool lock);
bool ServerInUse();

}  // namespace hivekit
