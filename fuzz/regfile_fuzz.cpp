// The .reg reader: whatever a file holds, an import either changes nothing or leaves a store
// whose export imports again into exactly the same store.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzStore.h"
#include "RegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hivekit;
    static fuzz::ScratchStores stores;
    stores.Reset();
    const std::string file(reinterpret_cast<const char*>(data), size);
    Store store;
    const std::string empty = fuzz::DumpStore(store);
    std::string why;
    if (!reg::ImportFile(store, file, why)) {
        if (fuzz::DumpStore(store) != empty) {
            fuzz::Fail("a refused import changed the store: " + why);
        }
        return 0;
    }
    fuzz::CheckRoundTrip(stores);
    return 0;
}
