// Applies the loading rules to raw bytes and checks the text they give.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/code.h"

namespace {

// The rules written the plain way, one byte at a time.
std::string loadedByteByByte(const std::string& raw) {
  std::string text;
  for (size_t i = 0; i < raw.size() && raw[i] != 0x1A; ++i)
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n'))
      text += raw[i];
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  std::string text = raw;
  applyTextMode(&text);
  if (text.size() > raw.size()) std::abort();
  // A CR LF is left only where the raw bytes held CR CR LF, as text mode
  // reads them; the byte-by-byte rules below say which.
  if (text.find('\x1A') != std::string::npos) std::abort();
  if (text != loadedByteByByte(raw)) std::abort();
  return 0;
}
