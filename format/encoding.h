#ifndef QUILLFIX_FORMAT_ENCODING_H_
#define QUILLFIX_FORMAT_ENCODING_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "base/bytes.h"

/// Applies the text-mode reading rules to raw file bytes: CR LF becomes LF,
/// a lone CR stays, and the first 0x1A ends the text. Returns true when that
/// 0x1A stood before anything but further 0x1A bytes.
bool applyTextMode(Bytes* bytes);

/// The encodings of a source file: single bytes, or the code units that a
/// byte-order mark at its start announces.
enum class Encoding { kBytes, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

// How a source file's text is encoded, kept so that its sorted code can be
// written back the same way. The layout reads one byte per code unit: a unit
// below 128 as the character it names, every other unit as 0x80, which the
// layout treats like any byte of 128 or more. Sorting moves only blanks, tabs
// and line feeds, so the wide units come back in the order they left.
class SourceEncoding {
 public:
  /// Replaces `bytes`, a whole file, by its text: the loading rules applied
  /// to the units of the encoding that its byte-order mark announces, one
  /// byte per unit.
  void decode(Bytes* bytes);

  /// Returns `sorted`, laid out from the decoded text, in the file's encoding
  /// with its byte-order mark; with `crLf`, each line feed is written as CR
  /// LF. Nothing when `sorted` holds more wide units than the text did.
  std::optional<Bytes> encode(Bytes sorted, bool crLf) const;

  Encoding encoding() const { return encoding_; }

  /// The size of one code unit in bytes.
  size_t unitSize() const;

  /// True when a 0x1A ended the text before the end of the file.
  bool endsEarly() const { return endsEarly_; }

  /// True when the file's first line feed follows a CR.
  bool crLfLineEnds() const { return crLfLineEnds_; }

 private:
  // Replaces the units of `bytes` after the byte-order mark by one byte
  // each, keeping the wide units and a partial unit at the end aside.
  void narrow(Bytes* bytes);
  uint32_t unitAt(const Bytes& bytes, size_t at) const;
  void appendUnit(Bytes* bytes, uint32_t unit) const;

  Encoding encoding_ = Encoding::kBytes;
  std::vector<uint32_t> wideUnits_;  // the units of 128 or more, in order
  Bytes partialUnit_;                // bytes after the last whole unit
  bool endsEarly_ = false;
  bool crLfLineEnds_ = false;
};

#endif  // QUILLFIX_FORMAT_ENCODING_H_
