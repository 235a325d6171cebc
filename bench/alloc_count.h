// Heap allocations and frees made while counting is on.
#pragma once

namespace alloc_count {
extern bool counting;
extern unsigned long calls;  // malloc, calloc, realloc and the aligned ones
extern unsigned long frees;
}  // namespace alloc_count
