#ifndef QUILLFIX_FORMAT_SOURCE_H_
#define QUILLFIX_FORMAT_SOURCE_H_

#include <string>
#include <string_view>

#include "base/bytes.h"
#include "format/encoding.h"
#include "format/engine.h"
#include "format/language.h"

/// Why a source could not be sorted.
enum class SortFailure {
  kNone,
  kBinary,     // binary, or UTF-16 without a byte-order mark, by its start
  kEndsEarly,  // a 0x1A ends the text before the end of the file
  kTooLarge,   // the sorted code would pass its size limit
  kUnitsLost,  // the sorted code holds more wide units than the source
};

/// Lays out `text`, a file's text as `encoding` decoded it, by the rules of
/// `language` with `indentUnit` per level, into `sorted`, written in the
/// file's encoding; with `crLf`, each line feed is written as CR LF.
SortFailure sortSource(std::string_view text, const SourceEncoding& encoding,
                       const Language& language, const std::string& indentUnit,
                       bool crLf, MarkedRegions regions, Bytes* sorted);

/// Sorts `file`, a whole file's bytes, into `sorted`, which keeps the file's
/// encoding and its line ends: CR LF when its first line feed follows a CR,
/// else LF, and the regions that comments mark left alone. Refuses a file
/// that looks binary or that a 0x1A ends early.
SortFailure sortWholeFile(std::string_view file, const Language& language,
                          const std::string& indentUnit, Bytes* sorted);

#endif  // QUILLFIX_FORMAT_SOURCE_H_
