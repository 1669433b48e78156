#include "registry/ReleaseIdleMemory.h"

#include "platform/ReturnFreedMemory.h"
#include "registry/ComponentLoader.h"

namespace quillon {

void ReleaseIdleMemory() {
    ComponentLoader::freeUnused();
    ReturnFreedMemory();
}

}  // namespace quillon
