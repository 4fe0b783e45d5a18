#include "format/scan.h"

#if defined(QUILLFIX_AVX2)

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

#endif
