#ifndef QUILLFIX_TESTS_SCAN_AGREEMENT_H_
#define QUILLFIX_TESTS_SCAN_AGREEMENT_H_

#include <string>

#include "format/scan.h"

/// True when every width of each scan, from `from` in `text`, gives what its
/// portable twin gives, and every way to copy a stretch copies the same
/// bytes. `from` is at least 1 and less than the text's size.
inline bool scansAgree(const std::string& text, size_t from) {
  // Asking the processor traps in a virtual machine: once is enough.
  static const bool kAvx2 = hasAvx2();
  static const Scanner kScanners[] = {Scanner(false), Scanner(true)};
  const char* data = text.data();
  const size_t size = text.size();
  const size_t found = findAnyPortable<'\n', '"', '\'', '/'>(data, from, size);
  const size_t skipped = skipAllPortable<' ', '\t', '\n'>(data, from, size);
  std::string portable(size - from, '\0');
  const size_t end = copyStretchPortable(data, from, size, &portable[0]);
  portable.resize(end - from);
  std::string copy(size - from, '\0');
  auto sameCopy = [&](size_t copyEnd) {
    return copyEnd == end && copy.compare(0, end - from, portable) == 0;
  };
  bool agree =
      end == stretchEndPortable(data, from + 1, size) &&
      stretchEndPortable(data, from, size) == stretchEnd(data, from, size);
  for (const Scanner& scanner : kScanners) {
    agree = agree &&
            found == scanner.findAny<'\n', '"', '\'', '/'>(data, from, size) &&
            skipped == scanner.skipAll<' ', '\t', '\n'>(data, from, size) &&
            sameCopy(scanner.copyStretch(data, from, size, &copy[0]));
  }
#if defined(__SSE2__)
  agree = agree &&
          found == (findAny16<'\n', '"', '\'', '/'>(data, from, size)) &&
          skipped == (skipAll16<' ', '\t', '\n'>(data, from, size)) &&
          sameCopy(copyStretch16(data, from, size, &copy[0]));
#endif
#if defined(QUILLFIX_AVX2)
  if (kAvx2)
    agree = agree &&
            found == (findAny32<'\n', '"', '\'', '/'>(data, from, size)) &&
            skipped == (skipAll32<' ', '\t', '\n'>(data, from, size)) &&
            sameCopy(copyStretch32(data, from, size, &copy[0]));
#endif
  return agree;
}

#endif  // QUILLFIX_TESTS_SCAN_AGREEMENT_H_
