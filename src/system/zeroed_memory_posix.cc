#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "system/zeroed_memory.h"

namespace scenario::zeroed_memory {
namespace {

// The size of a huge page on the systems that have them (x86-64, arm64 with
// 4 KiB pages).  A large array in huge pages takes a page fault every 2 MiB
// instead of every 4 KiB: for the twenty megabytes of the longest route
// plan, a quarter of the compilation's time.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this the saving is small and the rounding up to whole huge pages
// not worth it: such arrays come from the ordinary heap.
constexpr std::size_t kLeastMapped = 2 * kHugePage;

std::size_t mapped_length(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

// A fresh mapping is zeroed by the system as it is first touched.  It is
// mapped one huge page longer than asked and trimmed to a start on a huge
// page boundary, where the system can give it huge pages.
void* allocate(std::size_t bytes) {
  if (bytes < kLeastMapped) {
    if (void* p = std::calloc(bytes, 1)) return p;
    throw std::bad_alloc();
  }
  const std::size_t length = mapped_length(bytes);
  void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(mapped, aligned - start);
  ::munmap(reinterpret_cast<void*>(aligned + length), start + kHugePage - aligned);
#ifdef MADV_HUGEPAGE
  // Only a hint: where huge pages are off, the memory is ordinary pages.
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

void release(void* p, std::size_t bytes) noexcept {
  if (bytes < kLeastMapped)
    std::free(p);
  else
    ::munmap(p, mapped_length(bytes));
}

}  // namespace scenario::zeroed_memory
