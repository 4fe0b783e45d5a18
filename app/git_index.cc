#include "app/git_index.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

const char kSignature[] = "DIRC";
// An entry's times, device, inode, mode, owner, group and size come first.
const size_t kStatSize = 40;
const uint16_t kExtendedFlag = 0x4000;
const uint16_t kNameLengthMask = 0x0FFF;

// Reads the index's bytes from the front, each step checked against its end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool skip(size_t count) {
    if (count > bytes_.size() - at_) return false;
    at_ += count;
    return true;
  }

  std::optional<uint32_t> bigEndian(size_t width) {
    if (width > bytes_.size() - at_) return {};
    uint32_t value = 0;
    for (size_t k = 0; k < width; ++k)
      value = value << 8 | static_cast<unsigned char>(bytes_[at_++]);
    return value;
  }

  // A name's bytes up to the NUL that ends it, which is passed.
  std::optional<std::string_view> name() {
    size_t end = bytes_.find('\0', at_);
    if (end == bytes_.npos) return {};
    std::string_view text = bytes_.substr(at_, end - at_);
    at_ = end + 1;
    return text;
  }

  // The count of bytes a version 4 entry drops from the name before it: a
  // big-endian varint in which each byte but the last adds one.
  std::optional<uint64_t> droppedCount() {
    uint64_t value = 0;
    for (int bytes = 0; bytes < 9 && at_ < bytes_.size(); ++bytes) {
      unsigned char c = bytes_[at_++];
      value = (bytes > 0 ? (value + 1) << 7 : 0) | (c & 0x7F);
      if (!(c & 0x80)) return value;
    }
    return {};
  }

  size_t at() const { return at_; }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

// Reads every entry's path into `paths`; false when the index does not read
// as one with object names `hashSize` bytes long.
bool readEntries(std::string_view index, size_t hashSize,
                 std::vector<std::string>* paths) {
  Reader reader(index);
  if (!reader.skip(sizeof kSignature - 1)) return false;
  std::optional<uint32_t> version = reader.bigEndian(4);
  std::optional<uint32_t> count = reader.bigEndian(4);
  if (!version || !count || *version < 2 || *version > 4) return false;
  std::string path;
  for (uint32_t k = 0; k < *count; ++k) {
    size_t start = reader.at();
    std::optional<uint32_t> flags;
    if (!reader.skip(kStatSize + hashSize) || !(flags = reader.bigEndian(2)))
      return false;
    if ((*flags & kExtendedFlag) && (*version < 3 || !reader.skip(2)))
      return false;
    std::optional<uint64_t> dropped = 0;
    if (*version == 4 &&
        (!(dropped = reader.droppedCount()) || *dropped > path.size()))
      return false;
    std::optional<std::string_view> name = reader.name();
    if (!name) return false;
    path.resize(*version == 4 ? path.size() - *dropped : 0);
    path.append(*name);
    size_t length = *flags & kNameLengthMask;
    if (length < kNameLengthMask && length != path.size()) return false;
    if (*version < 4) {
      size_t padded = (reader.at() - 1 - start + 8) & ~size_t{7};
      if (!reader.skip(padded - (reader.at() - start))) return false;
    }
    if (!path.ends_with('/')) paths->push_back(path);
  }
  return true;
}

}  // namespace

std::vector<std::string> trackedPaths(std::string_view index) {
  if (!index.starts_with(kSignature)) return {};
  for (size_t hashSize : {size_t{20}, size_t{32}}) {
    std::vector<std::string> paths;
    if (!readEntries(index, hashSize, &paths)) continue;
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
  }
  return {};
}
