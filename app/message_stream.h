#ifndef QUILLFIX_APP_MESSAGE_STREAM_H_
#define QUILLFIX_APP_MESSAGE_STREAM_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

/// The largest message read: that of a document as large as the sorted code
/// may be.
inline constexpr size_t kMaxMessageSize = size_t{256} << 20;

// What reading one framed message gave.
enum class Framed { kMessage, kTooLarge, kBadHeader, kEnd };

// Reads messages framed by a Content-Length header, as the language server
// protocol frames them, from a source of bytes.
class MessageReader {
 public:
  /// Reads through `source`, which fills up to `size` bytes at `buffer` and
  /// returns how many it filled, 0 at the end.
  explicit MessageReader(std::function<size_t(char*, size_t)> source)
      : source_(std::move(source)) {}

  /// Reads the next message into `message`. A message larger than
  /// kMaxMessageSize is skipped (kTooLarge), and so is a header without a
  /// length (kBadHeader).
  Framed next(std::string* message);

 private:
  bool fill();
  bool readLine(std::string* line);
  bool take(size_t size, std::string* into);

  std::function<size_t(char*, size_t)> source_;
  std::string buffer_;
  size_t used_ = 0;
};

/// `message` with its Content-Length header.
std::string framed(std::string_view message);

/// Runs the language server on standard input and output until the client
/// ends it; returns the exit status the protocol asks.
int runLanguageServer();

#endif  // QUILLFIX_APP_MESSAGE_STREAM_H_
