#pragma once

namespace quillon {

// What a program gives back before it waits for its next burst of work (a login, a check every
// few minutes): the component's library, SQLite with it, when none of its objects is alive, and
// the memory the allocator holds free.
void ReleaseIdleMemory();

}  // namespace quillon
