#pragma once

namespace quillon {

// Gives the memory the allocator holds free back to the system. A program that idles between
// rare bursts of work (a login, a check every few minutes) would otherwise keep the peak of its
// last burst resident for as long as it idles.
void ReturnFreedMemory();

}  // namespace quillon
