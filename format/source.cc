#include "format/source.h"

#include <utility>

#include "format/engine.h"

namespace {

// How far a file is searched for a NUL byte.
const size_t kBinaryProbe = 8000;

// Sorting a binary file, or UTF-16 without its mark, as bytes would corrupt
// it.
bool looksBinary(std::string_view file, const SourceEncoding& encoding) {
  return encoding.encoding() == Encoding::kBytes &&
         file.substr(0, kBinaryProbe).find('\0') != file.npos;
}

}  // namespace

// The size limit counts the bytes of the source and of the sorted code.
SortFailure sortSource(std::string_view text, const SourceEncoding& encoding,
                       const Language& language, const std::string& indentUnit,
                       bool crLf, Bytes* sorted) {
  Bytes result;
  const size_t unit = encoding.unitSize();
  const size_t limit = sortedSizeLimit(text.size() * unit) / unit;
  if (!sortText(text, language, indentUnit, limit, &result))
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
                    encoding.crLfLineEnds(), sorted);
}
