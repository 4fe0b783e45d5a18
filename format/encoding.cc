#include "format/encoding.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

const char kEndOfText = 0x1A;
const uint32_t kByteOrderMark = 0xFEFF;
const char kWideUnit = '\x80';

// UTF-32 is tested first: its little-endian mark begins with UTF-16's.
Encoding encodingOf(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (bytes.substr(0, 4) == "\xFF\xFE\0\0"sv) return Encoding::kUtf32Le;
  if (bytes.substr(0, 4) == "\0\0\xFE\xFF"sv) return Encoding::kUtf32Be;
  if (bytes.substr(0, 2) == "\xFF\xFE"sv) return Encoding::kUtf16Le;
  if (bytes.substr(0, 2) == "\xFE\xFF"sv) return Encoding::kUtf16Be;
  return Encoding::kBytes;
}

bool isLittleEndian(Encoding encoding) {
  return encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf32Le;
}

Bytes withCrLf(const Bytes& text) {
  Bytes lines;
  lines.reserve(text.size() + std::count(text.begin(), text.end(), '\n'));
  for (char c : text) {
    if (c == '\n') lines.push_back('\r');
    lines.push_back(c);
  }
  return lines;
}

bool firstLineFeedFollowsCr(std::string_view text) {
  size_t lineFeed = text.find('\n');
  return lineFeed != text.npos && lineFeed > 0 && text[lineFeed - 1] == '\r';
}

}  // namespace

bool applyTextMode(Bytes* bytes) {
  std::string_view whole = view(*bytes);
  size_t end = whole.find(kEndOfText);
  bool endsEarly = end != whole.npos &&
                   whole.find_first_not_of(kEndOfText, end) != whole.npos;
  if (end != whole.npos) bytes->resize(end);
  // Moves each stretch up to the next CR LF down over the CRs dropped so far.
  char* text = bytes->data();
  size_t size = bytes->size();
  size_t to = 0;
  size_t from = 0;
  while (from < size) {
    const void* cr = std::memchr(text + from, '\r', size - from);
    size_t stretchEnd = cr ? static_cast<const char*>(cr) - text + 1 : size;
    bool dropCr = cr && stretchEnd < size && text[stretchEnd] == '\n';
    size_t kept = stretchEnd - from - (dropCr ? 1 : 0);
    if (to != from) std::memmove(text + to, text + from, kept);
    to += kept;
    from = stretchEnd;
  }
  bytes->resize(to);
  return endsEarly;
}

size_t SourceEncoding::unitSize() const {
  switch (encoding_) {
    case Encoding::kBytes:
      return 1;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return 2;
    case Encoding::kUtf32Le:
    case Encoding::kUtf32Be:
      return 4;
  }
  return 1;
}

void SourceEncoding::decode(Bytes* bytes) {
  encoding_ = encodingOf(view(*bytes));
  if (encoding_ != Encoding::kBytes) narrow(bytes);
  crLfLineEnds_ = firstLineFeedFollowsCr(view(*bytes));
  // A partial unit after a 0x1A is cut off with the rest.
  bool cut = !partialUnit_.empty() &&
             view(*bytes).find(kEndOfText) != std::string_view::npos;
  endsEarly_ = applyTextMode(bytes) || cut;
  if (cut) partialUnit_.clear();
}

void SourceEncoding::narrow(Bytes* bytes) {
  const size_t width = unitSize();
  const size_t end = bytes->size() - (bytes->size() - width) % width;
  Bytes text;
  text.reserve((end - width) / width);
  for (size_t at = width; at < end; at += width) {  // past the byte-order mark
    uint32_t unit = unitAt(*bytes, at);
    text.push_back(unit < 0x80 ? static_cast<char>(unit) : kWideUnit);
    if (unit >= 0x80) wideUnits_.push_back(unit);
  }
  partialUnit_.assign(bytes->begin() + end, bytes->end());
  *bytes = std::move(text);
}

std::optional<Bytes> SourceEncoding::encode(Bytes sorted, bool crLf) const {
  if (encoding_ == Encoding::kBytes) {
    if (crLf) return withCrLf(sorted);
    return sorted;
  }
  Bytes bytes;
  bytes.reserve((sorted.size() + 1) * unitSize() + partialUnit_.size());
  appendUnit(&bytes, kByteOrderMark);
  size_t wide = 0;
  for (char c : sorted) {
    if (c == '\n' && crLf) appendUnit(&bytes, '\r');
    if (c != kWideUnit) {
      appendUnit(&bytes, static_cast<unsigned char>(c));
    } else if (wide < wideUnits_.size()) {
      appendUnit(&bytes, wideUnits_[wide++]);
    } else {
      return std::nullopt;
    }
  }
  bytes.insert(bytes.end(), partialUnit_.begin(), partialUnit_.end());
  return bytes;
}

uint32_t SourceEncoding::unitAt(const Bytes& bytes, size_t at) const {
  const size_t width = unitSize();
  uint32_t unit = 0;
  for (size_t k = 0; k < width; ++k) {
    size_t byte = isLittleEndian(encoding_) ? at + width - 1 - k : at + k;
    unit = unit << 8 | static_cast<unsigned char>(bytes[byte]);
  }
  return unit;
}

void SourceEncoding::appendUnit(Bytes* bytes, uint32_t unit) const {
  const size_t width = unitSize();
  for (size_t k = 0; k < width; ++k) {
    size_t shift = 8 * (isLittleEndian(encoding_) ? k : width - 1 - k);
    bytes->push_back(static_cast<char>(unit >> shift));
  }
}
