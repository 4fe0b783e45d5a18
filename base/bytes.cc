#include "base/bytes.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdint>

void reserveLarge(Bytes* text, size_t size) {
  const size_t kHugePage = 2 << 20;
  text->reserve(size);
  if (size < 4 * kHugePage) return;
  uintptr_t start = reinterpret_cast<uintptr_t>(text->data());
  uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t last = (start + text->capacity()) & ~(kHugePage - 1);
  if (last > first)
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

#else

void reserveLarge(Bytes* text, size_t size) {
  text->reserve(size);
}

#endif
