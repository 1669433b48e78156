#include "platform/ReturnFreedMemory.h"

#include <malloc.h>

namespace quillon {

void ReturnFreedMemory() {
    malloc_trim(0);
}

}  // namespace quillon
