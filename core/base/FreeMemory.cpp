#include "core/base/FreeMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pellar {

void ReturnFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace pellar
