#include "framework/memory.h"

#include <malloc.h>

namespace fw {

void ReturnFreedMemory()
{
    malloc_trim(0);
}

} // namespace fw
