#ifndef QUILLFIX_FORMAT_OUTPUT_H_
#define QUILLFIX_FORMAT_OUTPUT_H_

#include <algorithm>
#include <cstring>

#include "base/bytes.h"

// The sorted code as the engine writes it, through a cursor into room
// claimed ahead. The room may reach past the limit by the allowance, so that
// a stretch can claim room for the rest of the text near the limit; `finish`
// then tells whether what was written stayed within it.
class Output {
 public:
  /// Bytes past the end of any room claimed that may be written over, so
  /// that a short piece can be written with one whole store.
  static constexpr size_t kSlack = 16;

  Output(Bytes* text, size_t limit, size_t allowance, size_t expected)
      : text_(text),
        limit_(limit),
        most_(limit + std::min(allowance, ~size_t{0} - limit)) {
    reserveLarge(text_, std::min(limit, expected) + kSlack);
    resize(std::min(limit, expected));
  }

  const char* data() const { return text_->data(); }
  char* data() { return text_->data(); }
  size_t size() const { return cursor_ - text_->data(); }
  /// Cuts the text to what was written; false, with the text cut to its
  /// limit, when it outgrew the limit.
  bool finish() {
    const bool fits = !full_ && size() <= limit_;
    text_->resize(std::min(size(), limit_));
    return fits;
  }

  /// Returns the cursor with room for `size` bytes, to be written and then
  /// taken in with `takeUpTo`, or null when the text has outgrown its limit.
  char* claim(size_t size) {
    if (size <= static_cast<size_t>(end_ - cursor_)) return cursor_;
    return grow(size) ? cursor_ : nullptr;
  }
  /// While what was written from some point on will be written over (a
  /// region), the text keeps `kept` bytes of it, and the room may pass the
  /// allowance by `extra`.
  void keepOnly(size_t kept, size_t extra) {
    kept_ = kept;
    extra_ = extra;
  }
  /// Every byte written is kept again.
  void keepAll() { keepOnly(kAll, 0); }
  /// Takes what was written up to `end`, in the room claimed or before it,
  /// as the text.
  void takeUpTo(char* end) { cursor_ = end; }

  /// Copies `size` bytes; most pieces are short, and two overlapping moves
  /// copy them without a call. The shortest, such as a line's tabs, are
  /// tested first.
  static void copy(char* to, const char* from, size_t size) {
    if (size > 0 && size < 4) {
      to[0] = from[0];
      to[size / 2] = from[size / 2];
      to[size - 1] = from[size - 1];
    } else if (size >= 8 && size <= 16) {
      move<8>(to, from);
      move<8>(to + size - 8, from + size - 8);
    } else if (size >= 4 && size < 8) {
      move<4>(to, from);
      move<4>(to + size - 4, from + size - 4);
    } else if (size > 16) {
      std::memcpy(to, from, size);
    }
  }

 private:
  template <size_t kBytes>
  static void move(char* to, const char* from) {
    char piece[kBytes];
    std::memcpy(piece, from, kBytes);
    std::memcpy(to, piece, kBytes);
  }

  // Grows the room to `size` bytes past the cursor, unless what the text
  // keeps has passed the limit, or the room would pass the allowance.
  [[gnu::noinline]] bool grow(size_t size) {
    const size_t used = this->size();
    const size_t most = most_ + std::min(extra_, kAll - most_);
    if (std::min(used, kept_) > limit_ || used > most || size > most - used) {
      full_ = true;
      return false;
    }
    const size_t room = end_ - text_->data();
    resize(std::max(used + size, std::min(most_, room + room / 2)));
    cursor_ = text_->data() + used;
    return true;
  }

  // Makes room for `size` bytes and the slack after them.
  void resize(size_t size) {
    text_->resize(size + kSlack);
    cursor_ = text_->data();
    end_ = cursor_ + size;
  }

  Bytes* text_;
  size_t limit_;
  size_t most_;  // the limit and the allowance
  static constexpr size_t kAll = ~size_t{0};
  size_t kept_ = kAll;
  size_t extra_ = 0;
  char* cursor_;
  char* end_;
  bool full_ = false;
};

#endif  // QUILLFIX_FORMAT_OUTPUT_H_
