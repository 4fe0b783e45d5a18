#ifndef QUILLFIX_BASE_BYTES_H_
#define QUILLFIX_BASE_BYTES_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

// Hands out storage whose bytes are not set when a container grows: every
// byte of a whole file or of a sorted code is written before it is read, so
// filling them first (as std::string must) would be wasted work.
template <typename T>
struct UnfilledAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnfilledAllocator<U>;
  };
  UnfilledAllocator() = default;
  template <typename U>
  UnfilledAllocator(const UnfilledAllocator<U>&) noexcept {}

  template <typename U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

/// A byte string for whole texts: a source file and its sorted code.
using Bytes = std::vector<char, UnfilledAllocator<char>>;

/// The bytes of `bytes` as a string view.
inline std::string_view view(const Bytes& bytes) {
  return std::string_view(bytes.data(), bytes.size());
}

/// Makes room for `size` bytes in `text`, in huge pages where the system
/// offers them, so that filling a large text takes few page faults.
void reserveLarge(Bytes* text, size_t size);

/// A copy of `text` as a byte string.
inline Bytes toBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

#endif  // QUILLFIX_BASE_BYTES_H_
