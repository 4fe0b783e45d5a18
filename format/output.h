#ifndef QUILLFIX_FORMAT_OUTPUT_H_
#define QUILLFIX_FORMAT_OUTPUT_H_

#include <algorithm>
#include <cstring>

#include "base/bytes.h"

// The sorted code as the engine writes it. Every byte goes through here,
// which keeps the text within its limit. The text is grown ahead and filled
// through a cursor, so that an append is a bounds test and a copy; `finish`
// cuts it to what was written.
class Output {
 public:
  /// Bytes past the end of any room claimed that may be written over, so
  /// that a short piece can be written with one whole store.
  static constexpr size_t kSlack = 16;

  Output(Bytes* text, size_t limit, size_t expected)
      : text_(text), limit_(limit) {
    reserveLarge(text_, std::min(limit, expected) + kSlack);
    resize(std::min(limit, expected));
  }

  bool full() const { return full_; }
  const char* data() const { return text_->data(); }
  size_t size() const { return cursor_ - text_->data(); }
  void finish() { text_->resize(size()); }

  void append(const char* data, size_t size) {
    if (size > static_cast<size_t>(end_ - cursor_) && !grow(size)) return;
    copy(cursor_, data, size);
    cursor_ += size;
  }
  void append(char c) {
    if (cursor_ == end_ && !grow(1)) return;
    *cursor_++ = c;
  }

  /// Returns the cursor with room for `size` bytes, to be written and then
  /// taken in with `advance`, or null when the text may not grow so far.
  char* claim(size_t size) {
    if (size <= static_cast<size_t>(end_ - cursor_)) return cursor_;
    if (size > limit_ - this->size() || !grow(size)) return nullptr;
    return cursor_;
  }
  /// As claim, for a piece that must fit: one that does not fills the text.
  char* claimPiece(size_t size) {
    char* to = claim(size);
    if (!to) full_ = true;
    return to;
  }
  /// Takes `size` bytes written at the cursor into the text.
  void advance(size_t size) { cursor_ += size; }

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

  [[gnu::noinline]] bool grow(size_t size) {
    size_t used = this->size();
    if (full_ || size > limit_ - used) {
      full_ = true;
      return false;
    }
    size_t room = end_ - text_->data();
    resize(std::max(used + size, std::min(limit_, room + room / 2)));
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
  char* cursor_;
  char* end_;
  bool full_ = false;
};

#endif  // QUILLFIX_FORMAT_OUTPUT_H_
