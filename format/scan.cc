#include "format/scan.h"

#if defined(QUILLFIX_AVX2)

namespace scan {

namespace {

constexpr std::array<char, 32> repeated(char c) {
  std::array<char, 32> bytes{};
  for (char& byte : bytes) byte = c;
  return bytes;
}

}  // namespace

// In the order of Repeated.
const std::array<std::array<char, 32>, kRepeatedCount> kRepeated32 = {
    repeated(0x01), repeated(0x08), repeated(0x21), repeated(0x40),
    repeated('\t'), repeated(' '),  repeated('#'),  repeated(')'),
    repeated('/'),  repeated('{'),  repeated('}'),
};

}  // namespace scan

#endif
