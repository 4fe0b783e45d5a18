#include "app/message_stream.h"

#include <algorithm>
#include <cstdlib>

#include "app/language_server.h"
#include "platform/platform.h"

namespace {

const size_t kChunk = size_t{1} << 16;
const size_t kMaxHeaderLine = 4096;
const std::string_view kLengthField = "content-length:";

// The value of a Content-Length header line, or -1 when `line` is another
// header; -2 when it holds no length that can be read.
long long lengthOf(std::string line) {
  std::transform(line.begin(), line.end(), line.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (!line.starts_with(kLengthField)) return -1;
  std::string_view digits = std::string_view(line).substr(kLengthField.size());
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  long long length = 0;
  if (digits.empty()) return -2;
  for (char c : digits) {
    if (c < '0' || c > '9' || length > (1LL << 50)) return -2;
    length = length * 10 + (c - '0');
  }
  return length;
}

}  // namespace

bool MessageReader::fill() {
  if (used_ > 0) {
    buffer_.erase(0, used_);
    used_ = 0;
  }
  size_t old = buffer_.size();
  buffer_.resize(old + kChunk);
  size_t got = source_(buffer_.data() + old, kChunk);
  buffer_.resize(old + got);
  return got > 0;
}

bool MessageReader::readLine(std::string* line) {
  for (;;) {
    size_t end = buffer_.find('\n', used_);
    if (end != std::string::npos) {
      *line = buffer_.substr(used_, end - used_);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      used_ = end + 1;
      return true;
    }
    if (buffer_.size() - used_ > kMaxHeaderLine) used_ = buffer_.size();
    if (!fill()) return false;
  }
}

bool MessageReader::take(size_t size, std::string* into) {
  while (size > 0) {
    if (used_ == buffer_.size() && !fill()) return false;
    size_t part = std::min(size, buffer_.size() - used_);
    if (into) into->append(buffer_, used_, part);
    used_ += part;
    size -= part;
  }
  return true;
}

Framed MessageReader::next(std::string* message) {
  long long length = -1;
  std::string line;
  for (;;) {
    if (!readLine(&line)) return Framed::kEnd;
    if (line.empty()) break;
    long long value = lengthOf(line);
    if (value != -1) length = value;
  }
  if (length < 0) return Framed::kBadHeader;
  message->clear();
  bool fits = static_cast<unsigned long long>(length) <= kMaxMessageSize;
  if (!take(length, fits ? message : nullptr)) return Framed::kEnd;
  return fits ? Framed::kMessage : Framed::kTooLarge;
}

std::string framed(std::string_view message) {
  return "Content-Length: " + std::to_string(message.size()) + "\r\n\r\n" +
         std::string(message);
}

int runLanguageServer() {
  LanguageServer server;
  MessageReader reader(readStandardInputPart);
  std::string message;
  while (!server.ended()) {
    Framed read = reader.next(&message);
    if (read == Framed::kEnd) break;
    std::vector<std::string> responses;
    if (read == Framed::kMessage) responses = server.receive(message);
    if (read == Framed::kTooLarge) responses = {LanguageServer::tooLarge()};
    if (read == Framed::kBadHeader) responses = {LanguageServer::badHeader()};
    for (const std::string& response : responses)
      if (!writeSortedOutput(framed(response))) return 1;
  }
  return server.exitStatus();
}
