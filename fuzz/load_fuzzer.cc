// Loads raw bytes, in whatever encoding their byte-order mark names, and
// checks the text against the loading rules stated the plain way, one unit
// at a time; writing the text back must give the kept units exactly.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/encoding.h"

namespace {

struct Loaded {
  std::string text;     // one byte per unit
  std::string written;  // the kept units, as bytes, with the mark
  bool endsEarly = false;
};

size_t markSize(const std::string& raw) {
  if (raw.compare(0, 4, std::string("\xFF\xFE\0\0", 4)) == 0) return 4;
  if (raw.compare(0, 4, std::string("\0\0\xFE\xFF", 4)) == 0) return 4;
  if (raw.compare(0, 2, "\xFF\xFE") == 0) return 2;
  if (raw.compare(0, 2, "\xFE\xFF") == 0) return 2;
  return 0;
}

uint32_t unitAt(const std::string& raw, size_t at, size_t width) {
  bool little = static_cast<unsigned char>(raw[0]) == 0xFF;
  uint32_t unit = 0;
  for (size_t k = 0; k < width; ++k)
    unit = unit << 8 | static_cast<unsigned char>(
                           raw[little ? at + width - 1 - k : at + k]);
  return unit;
}

Loaded loadedUnitByUnit(const std::string& raw) {
  size_t width = markSize(raw);
  Loaded loaded;
  loaded.written = raw.substr(0, width);
  if (width == 0) width = 1;
  size_t at = loaded.written.size();
  for (; at + width <= raw.size(); at += width) {
    uint32_t unit = unitAt(raw, at, width);
    if (unit == 0x1A) break;
    if (unit == '\r' && at + 2 * width <= raw.size() &&
        unitAt(raw, at + width, width) == '\n')
      continue;
    loaded.text += width == 1 || unit < 0x80 ? static_cast<char>(unit) : '\x80';
    loaded.written += raw.substr(at, width);
  }
  size_t end = at;
  while (end + width <= raw.size() && unitAt(raw, end, width) == 0x1A)
    end += width;
  if (at + width > raw.size()) loaded.written += raw.substr(at);
  loaded.endsEarly = at + width <= raw.size() && end < raw.size();
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string raw(reinterpret_cast<const char*>(data), size);
  Bytes text = toBytes(raw);
  SourceEncoding encoding;
  encoding.decode(&text);
  Loaded expected = loadedUnitByUnit(raw);
  if (view(text) != expected.text) std::abort();
  if (encoding.endsEarly() != expected.endsEarly) std::abort();
  if (view(encoding.encode(text, false).value()) != expected.written)
    std::abort();
  if (text.size() > raw.size()) std::abort();
  return 0;
}
