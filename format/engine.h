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

/// Whether the regions between comments that say "quillfix off" and
/// "quillfix on" are written as they were read, or sorted as the rest.
enum class MarkedRegions { kSorted, kLeftAlone };

/// Room kept past the rest of the text for what the layout adds in a
/// stretch; a step that needs more ends the stretch and claims it.
inline constexpr size_t kStretchSlack = 4096;

/// Formats `source` by the rules of `language`, writing `indentUnit` once per
/// level of indentation, into `result`. Returns false, with `result` cut
/// short, when the text would grow past `limit` bytes. `slack` is the room
/// kept past the rest of the text (tests give the least, 0).
bool sortText(std::string_view source, const Language& language,
              const std::string& indentUnit, size_t limit, Bytes* result,
              MarkedRegions regions = MarkedRegions::kSorted,
              size_t slack = kStretchSlack);

#endif  // QUILLFIX_FORMAT_ENGINE_H_
