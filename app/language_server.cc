#include "app/language_server.h"

#include <algorithm>
#include <new>
#include <nlohmann/json.hpp>

#include "app/conventional.h"
#include "app/editor_config.h"
#include "app/line_ranges.h"
#include "app/unified_diff.h"
#include "format/language.h"
#include "format/source.h"

using nlohmann::json;

namespace {

// A request that cannot be answered with a result: an error code and why.
struct RequestError {
  int code;
  std::string message;
};

std::string text(const json& message) {
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string errorResponse(const json& id, int code,
                          const std::string& message) {
  return text({{"jsonrpc", "2.0"},
               {"id", id},
               {"error", {{"code", code}, {"message", message}}}});
}

// What the byte `byte` of UTF-8 text adds to a position: one in UTF-8; in
// UTF-16 one for a character's first byte, none for the bytes after it, and
// two for the first byte of a character outside the BMP.
size_t unitsOf(unsigned char byte, bool utf8) {
  if (utf8) return 1;
  if ((byte & 0xC0) == 0x80) return 0;
  return byte >= 0xF0 ? 2 : 1;
}

// Where each line of `text` begins, by byte offset.
std::vector<size_t> lineStarts(std::string_view text) {
  std::vector<size_t> starts{0};
  for (size_t k = 0; k < text.size(); ++k)
    if (text[k] == '\n') starts.push_back(k + 1);
  return starts;
}

// The protocol's position of the byte offset `at` in `text`.
json positionOf(std::string_view text, const std::vector<size_t>& starts,
                size_t at, bool utf8) {
  size_t line =
      std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1;
  size_t character = 0;
  for (size_t k = starts[line]; k < at; ++k)
    character += unitsOf(static_cast<unsigned char>(text[k]), utf8);
  return {{"line", line}, {"character", character}};
}

// The byte offset of the protocol's `position` in `text`; a position past
// the end of its line stands for the line's end.
size_t offsetOf(std::string_view text, const json& position, bool utf8) {
  size_t line = position.at("line").get<size_t>();
  size_t character = position.at("character").get<size_t>();
  size_t at = 0;
  for (size_t k = 0; k < line && at < text.size(); ++at)
    if (text[at] == '\n') ++k;
  size_t counted = 0;
  while (at < text.size() && text[at] != '\n') {
    size_t units = unitsOf(static_cast<unsigned char>(text[at]), utf8);
    if (units && counted + units > character) break;
    counted += units;
    ++at;
  }
  return at;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The file path a file: URI names, percent-decoded; empty for another URI.
std::string pathOfUri(std::string_view uri) {
  const std::string_view scheme = "file://";
  if (!uri.starts_with(scheme)) return "";
  uri.remove_prefix(scheme.size());
  std::string path;
  for (size_t k = 0; k < uri.size(); ++k) {
    int high = k + 2 < uri.size() ? hexValue(uri[k + 1]) : -1;
    int low = k + 2 < uri.size() ? hexValue(uri[k + 2]) : -1;
    if (uri[k] == '%' && high >= 0 && low >= 0) {
      path += static_cast<char>(high * 16 + low);
      k += 2;
    } else {
      path += uri[k];
    }
  }
  if (path.size() > 2 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path;
}

// The .editorconfig files' indentation for `path` when they set one, else
// what the request's `options` ask, else one tab.
Indent indentFor(const std::string& path, const json& options) {
  EditorConfigProperties properties;
  std::string unused;
  if (!path.empty() && readEditorConfig(path, &properties, &unused)) {
    for (const auto& [name, value] : properties)
      if (name == "indent_style")
        return indentOfProperties(properties, &unused);
  }
  Indent indent;
  if (options.value("insertSpaces", false)) {
    indent.character = ' ';
    indent.count =
        std::clamp<int32_t>(options.value("tabSize", 1), 1, kMaxIndentCount);
  }
  return indent;
}

// The sorted code of the document at `uri` (only the changes that touch
// `ranges`, if any), or why it has none.
std::string sortDocument(const std::string& uri, std::string_view source,
                         const json& options,
                         const std::vector<LineRange>& ranges) {
  std::string path = pathOfUri(uri);
  const Language* language = languageOfExtension(extensionOf(path));
  if (!language)
    throw RequestError{kRequestFailed, "not a C, C++ or Java file name"};
  const std::string unit = indentFor(path, options).unit();
  Bytes sorted;
  SortFailure failure = sortWholeFile(source, *language, unit, &sorted);
  if (failure != SortFailure::kNone)
    throw RequestError{kRequestFailed, describeFailure(failure)};
  if (ranges.empty()) return std::string(view(sorted));
  return takeChanges(source, view(sorted), ranges,
                     wholeFileSorting(*language, unit))
      .text;
}

// The lines a range asks for, counted from 1; a range that ends at the start
// of a later line leaves that line out.
LineRange linesOfRange(const json& range) {
  size_t first = range.at("start").at("line").get<size_t>();
  size_t last = range.at("end").at("line").get<size_t>();
  if (last > first && range.at("end").at("character").get<size_t>() == 0)
    --last;
  return {first + 1, std::max(first, last) + 1};
}

// How many bytes of line end (CR LF, LF or none) `text` ends with.
size_t lineEndSize(std::string_view text) {
  if (text.ends_with("\r\n")) return 2;
  return text.ends_with('\n') ? 1 : 0;
}

// Moves the edit that replaces the whole lines [begin, end) of `before` with
// `newText` off the start of the line after them where it can, so that the
// editor keeps the marks on that line: a replacement keeps its last line
// end, and an insertion or a deletion takes the line end before it instead
// of its own.
void keepNextLine(std::string_view before, size_t* begin, size_t* end,
                  std::string* newText) {
  std::string_view old = before.substr(*begin, *end - *begin);
  if (!old.empty() && !newText->empty()) {
    size_t size = lineEndSize(old);
    if (size && newText->ends_with(old.substr(old.size() - size))) {
      *end -= size;
      newText->resize(newText->size() - size);
    }
    return;
  }
  size_t size = lineEndSize(before.substr(0, *begin));
  std::string_view lineEnd = before.substr(*begin - size, size);
  if (!size ||
      !(old.empty() ? std::string_view(*newText) : old).ends_with(lineEnd))
    return;
  *begin -= size;
  *end -= size;
  if (old.empty())
    *newText =
        std::string(lineEnd) + newText->substr(0, newText->size() - size);
}

// The edits, one for each run of changed lines, that turn `before` into
// `after`.
json editsBetween(std::string_view before, std::string_view after, bool utf8) {
  std::vector<size_t> starts = lineStarts(before);
  std::vector<std::string_view> newLines = linesOf(after);
  auto startOf = [&](size_t line) {
    return line < starts.size() ? starts[line] : before.size();
  };
  json edits = json::array();
  for (const LineHunk& hunk : lineHunks(before, after)) {
    std::string newText;
    for (size_t k = hunk.newBegin; k < hunk.newEnd; ++k) newText += newLines[k];
    size_t begin = startOf(hunk.oldBegin);
    size_t end = startOf(hunk.oldEnd);
    keepNextLine(before, &begin, &end, &newText);
    json range = {{"start", positionOf(before, starts, begin, utf8)},
                  {"end", positionOf(before, starts, end, utf8)}};
    edits.push_back({{"range", range}, {"newText", newText}});
  }
  return edits;
}

bool offersUtf8(const json& params) {
  json encodings = params.value(
      json::json_pointer("/capabilities/general/positionEncodings"),
      json::array());
  return encodings.is_array() && std::find(encodings.begin(), encodings.end(),
                                           "utf-8") != encodings.end();
}

}  // namespace

json LanguageServer::initialize(const json& params) {
  if (initialized_) throw RequestError{kInvalidRequest, "already initialized"};
  initialized_ = true;
  utf8_ = offersUtf8(params);
  json capabilities = {
      {"positionEncoding", utf8_ ? "utf-8" : "utf-16"},
      {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
      {"documentFormattingProvider", true},
      {"documentRangeFormattingProvider", true}};
  return {
      {"capabilities", capabilities},
      {"serverInfo", {{"name", "quillfix"}, {"version", QUILLFIX_VERSION}}}};
}

void LanguageServer::change(const json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  auto document = documents_.find(uri);
  if (document == documents_.end()) return;
  std::string& content = document->second;
  for (const json& change : params.at("contentChanges")) {
    const std::string& newText =
        change.at("text").get_ref<const std::string&>();
    if (!change.contains("range")) {
      content = newText;
      continue;
    }
    size_t begin = offsetOf(content, change["range"].at("start"), utf8_);
    size_t end = offsetOf(content, change["range"].at("end"), utf8_);
    content.replace(begin, std::max(begin, end) - begin, newText);
  }
}

json LanguageServer::format(const json& params, bool range) {
  const std::string uri = params.at("textDocument").at("uri");
  auto document = documents_.find(uri);
  if (document == documents_.end())
    throw RequestError{kInvalidParams, "not an open document: " + uri};
  const std::string& source = document->second;
  std::vector<LineRange> ranges;
  if (range) ranges.push_back(linesOfRange(params.at("range")));
  return editsBetween(
      source,
      sortDocument(uri, source, params.value("options", json::object()),
                   ranges),
      utf8_);
}

void LanguageServer::notice(const std::string& method, const json& params) {
  if (method == "exit") {
    ended_ = true;
  } else if (!initialized_ || shutDown_) {
    return;
  } else if (method == "textDocument/didOpen") {
    const json& document = params.at("textDocument");
    documents_[document.at("uri")] = document.at("text");
  } else if (method == "textDocument/didChange") {
    change(params);
  } else if (method == "textDocument/didClose") {
    documents_.erase(params.at("textDocument").at("uri").get<std::string>());
  }
}

json LanguageServer::answer(const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (!initialized_)
    throw RequestError{kServerNotInitialized, "not initialized"};
  if (shutDown_) throw RequestError{kInvalidRequest, "shut down"};
  if (method == "shutdown") {
    shutDown_ = true;
    return nullptr;
  }
  if (method == "textDocument/formatting") return format(params, false);
  if (method == "textDocument/rangeFormatting") return format(params, true);
  throw RequestError{kMethodNotFound, "unknown method: " + method};
}

std::vector<std::string> LanguageServer::receive(std::string_view message) {
  json parsed;
  try {
    parsed = json::parse(message, nullptr, false);
  } catch (const std::bad_alloc&) {
    return {errorResponse(nullptr, kInternalError, "out of memory")};
  }
  if (parsed.is_discarded())
    return {errorResponse(nullptr, kParseError, "not JSON")};
  json id = parsed.is_object() ? parsed.value("id", json()) : json();
  bool validId = id.is_null() || id.is_string() || id.is_number_integer();
  if (!parsed.is_object() || parsed.value("jsonrpc", "") != "2.0" || !validId ||
      (parsed.contains("method") && !parsed["method"].is_string()))
    return {errorResponse(validId ? id : json(), kInvalidRequest,
                          "not a JSON-RPC 2.0 message")};
  if (!parsed.contains("method")) return {};  // a response: none is awaited
  const std::string method = parsed["method"];
  const json params = parsed.value("params", json::object());
  try {
    if (!parsed.contains("id")) {
      notice(method, params);
      return {};
    }
    json result = answer(method, params);
    return {text({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}})};
  } catch (const RequestError& error) {
    return {errorResponse(id, error.code, error.message)};
  } catch (const json::exception& error) {
    if (!parsed.contains("id")) return {};
    return {errorResponse(id, kInvalidParams, error.what())};
  } catch (const std::bad_alloc&) {
    if (!parsed.contains("id")) return {};
    return {errorResponse(id, kInternalError, "out of memory")};
  }
}

std::string LanguageServer::tooLarge() {
  return errorResponse(nullptr, kInvalidRequest, "message too large");
}

std::string LanguageServer::badHeader() {
  return errorResponse(nullptr, kParseError, "no Content-Length header");
}
