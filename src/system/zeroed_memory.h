// Zeroed memory for a large array that is filled once from start to end and
// written out whole: the route plan.  One implementation per operating
// system (zeroed_memory_<system>.cc).
#ifndef SCENARIO_MODEL_ZEROED_MEMORY_H_
#define SCENARIO_MODEL_ZEROED_MEMORY_H_

#include <cstddef>

namespace scenario::zeroed_memory {

// `bytes` of zeroed memory; throws std::bad_alloc.
void* allocate(std::size_t bytes);
// Gives back what allocate(bytes) gave, with the same `bytes`.
void release(void* p, std::size_t bytes) noexcept;

}  // namespace scenario::zeroed_memory

#endif  // SCENARIO_MODEL_ZEROED_MEMORY_H_
