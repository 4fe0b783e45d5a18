#include "format/source.h"

#include <algorithm>
#include <utility>

#include "format/engine.h"

namespace {

// How far into a file the signs of a binary file are looked for.
const size_t kBinaryProbe = 8000;

// A control byte that no source text holds: all below 0x20 but the white
// space ones, Ctrl-Z and ESC.
bool isForeignControl(unsigned char c) {
  return c < 0x20 && (c < '\t' || c > '\r') && c != 0x1A && c != 0x1B;
}

// A binary file holds NULs, and with the other foreign control bytes they
// make up at least one byte in 16 of its start; UTF-16 text without its mark
// has a NUL beside each ASCII character. A few NULs inside a literal of a
// source are neither. Sorting either as bytes would corrupt it.
bool looksBinary(std::string_view file, const SourceEncoding& encoding) {
  if (encoding.encoding() != Encoding::kBytes) return false;
  std::string_view probe = file.substr(0, kBinaryProbe);
  if (probe.find('\0') == probe.npos) return false;
  size_t foreign = std::count_if(probe.begin(), probe.end(), [](char c) {
    return isForeignControl(static_cast<unsigned char>(c));
  });
  return foreign * 16 >= probe.size();
}

}  // namespace

// The size limit counts the bytes of the source and of the sorted code.
SortFailure sortSource(std::string_view text, const SourceEncoding& encoding,
                       const Language& language, const std::string& indentUnit,
                       bool crLf, MarkedRegions regions, Bytes* sorted) {
  Bytes result;
  const size_t unit = encoding.unitSize();
  const size_t limit = sortedSizeLimit(text.size() * unit) / unit;
  if (!sortText(text, language, indentUnit, limit, &result, regions))
    return SortFailure::kTooLarge;
  std::optional<Bytes> written = encoding.encode(std::move(result), crLf);
  if (!written) return SortFailure::kUnitsLost;
  *sorted = std::move(*written);
  return SortFailure::kNone;
}

SortFailure sortWholeFile(std::string_view file, const Language& language,
                          const std::string& indentUnit, Bytes* sorted) {
  Bytes text = toBytes(file);
  SourceEncoding encoding;
  encoding.decode(&text);
  if (looksBinary(file, encoding)) return SortFailure::kBinary;
  if (encoding.endsEarly()) return SortFailure::kEndsEarly;
  return sortSource(view(text), encoding, language, indentUnit,
                    encoding.crLfLineEnds(), MarkedRegions::kLeftAlone, sorted);
}
