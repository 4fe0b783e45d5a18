#ifndef QUILLFIX_APP_LANGUAGE_SERVER_H_
#define QUILLFIX_APP_LANGUAGE_SERVER_H_

#include <map>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

// The JSON-RPC error codes that the language server protocol names.
enum ErrorCode {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kServerNotInitialized = -32002,
  kRequestFailed = -32803,
};

// A language server that formats C, C++ and Java documents as the
// conventional command line sorts them: it keeps the text of the open
// documents and answers one message at a time.
class LanguageServer {
 public:
  /// The responses, each the JSON text of one message, to `message`, the
  /// JSON text of one message from the client.
  std::vector<std::string> receive(std::string_view message);

  /// The error response to a message too large to be read.
  static std::string tooLarge();

  /// The error response to a message whose header gives no length.
  static std::string badHeader();

  /// True once the client sent `exit`.
  bool ended() const { return ended_; }

  /// The exit status that `exit` asks: 0 after `shutdown`, else 1.
  int exitStatus() const { return shutDown_ ? 0 : 1; }

 private:
  nlohmann::json answer(const std::string& method,
                        const nlohmann::json& params);
  nlohmann::json initialize(const nlohmann::json& params);
  void change(const nlohmann::json& params);
  nlohmann::json format(const nlohmann::json& params, bool range);
  void notice(const std::string& method, const nlohmann::json& params);

  bool initialized_ = false;
  bool shutDown_ = false;
  bool ended_ = false;
  bool utf8_ = false;  // positions count UTF-8 bytes, else UTF-16 units
  std::map<std::string, std::string> documents_;  // text by URI
};

#endif  // QUILLFIX_APP_LANGUAGE_SERVER_H_
