#include <cstdlib>
#include <new>

#include "system/zeroed_memory.h"

namespace scenario::zeroed_memory {

// Large pages need a privilege an ordinary user lacks: plain memory.
void* allocate(std::size_t bytes) {
  if (void* p = std::calloc(bytes, 1)) return p;
  throw std::bad_alloc();
}

void release(void* p, std::size_t) noexcept { std::free(p); }

}  // namespace scenario::zeroed_memory
