#pragma once

#include <cstdint>
#include <string>

#include "hivekit/Store.h"

namespace hivekit::fuzz {

// Two scratch stores in a private folder, emptied for every input: the store an input is
// imported into, and the one its export is imported into again.
class ScratchStores {
  public:
    ScratchStores();
    ~ScratchStores();
    ScratchStores(const ScratchStores&) = delete;
    ScratchStores& operator=(const ScratchStores&) = delete;
    // Deletes both stores' files and makes `first` the store in use.
    void Reset();
    void UseFirst();
    void UseSecond();

  private:
    void Use(const std::string& path);
    std::string dir_;
};

// Everything the store holds below every root, exactly (names, types, bytes, order), as text.
std::string DumpStore(Store& store);

// Exports every root of the first store and imports the files into the second; aborts,
// saying why, when either refuses what the first store holds. Then checks that both stores
// hold exactly the same.
void CheckRoundTrip(ScratchStores& stores);

// Prints the message and aborts, which libFuzzer reports as a crash with the input.
[[noreturn]] void Fail(const std::string& message);

}  // namespace hivekit::fuzz
