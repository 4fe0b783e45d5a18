#ifndef QUILLFIX_FORMAT_ENGINE_H_
#define QUILLFIX_FORMAT_ENGINE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "format/language.h"

/// The largest formatted text allowed for a source text of `sourceSize`
/// bytes.
size_t sortedSizeLimit(size_t sourceSize);

/// Formats `source` by the rules of `language`, writing `indentUnit` once per
/// level of indentation, into `result`. Returns false, with `result` cut
/// short, when the text would grow past `limit` bytes.
bool sortText(std::string_view source, const Language& language,
              const std::string& indentUnit, size_t limit, Bytes* result);

#endif  // QUILLFIX_FORMAT_ENGINE_H_
