#include "services/FreedMemory.h"

#include <malloc.h>

namespace kestrane {

void returnFreedMemory()
{
    malloc_trim(0);
}

} // namespace kestrane
