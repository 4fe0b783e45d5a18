#include "format/scan.h"

#if defined(QUILLFIX_AVX2)

#include <cpuid.h>

namespace {

// AVX2 needs the processor's word for it and for AVX, and the system's for
// keeping the wide registers (bits 1 and 2 of XCR0).
bool askForAvx2() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const unsigned kOsxsave = 1u << 27, kAvx = 1u << 28;
  if ((c & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return false;
  unsigned low, high;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  if ((low & 6) != 6) return false;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 5)) != 0;
}

}  // namespace

// A virtual machine traps on the questions: they are asked once.
bool hasAvx2() {
  static const bool kAvx2 = askForAvx2();
  return kAvx2;
}

namespace scan {

namespace {

constexpr std::array<std::array<char, 32>, 256> repeatedBytes() {
  std::array<std::array<char, 32>, 256> rows{};
  for (int value = 0; value < 256; ++value)
    for (char& byte : rows[value]) byte = static_cast<char>(value);
  return rows;
}

}  // namespace

const std::array<std::array<char, 32>, 256> kRepeated32 = repeatedBytes();

}  // namespace scan

#else

bool hasAvx2() {
  return false;
}

#endif
