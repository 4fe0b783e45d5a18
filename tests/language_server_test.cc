// Runs the language server of the built program on exchanges of JSON-RPC
// messages and checks every response byte for byte, and its exit status.

#include "app/language_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>

#include "app/message_stream.h"
#include "tests/run_program.h"

namespace {

// What the client sends, in order, and what the server must answer.
struct Exchange {
  const char* name;
  std::vector<std::string> messages;  // JSON text; DIR: the test's folder
  std::vector<std::string> responses;
  int status;
};

const char kUtf16[] =
    R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})";
const char kUtf8[] =
    R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{"general":{"positionEncodings":["utf-16","utf-8"]}}}})";
const char kShutdown[] = R"({"jsonrpc":"2.0","id":9,"method":"shutdown"})";
const char kExit[] = R"({"jsonrpc":"2.0","method":"exit"})";
const char kShutDown[] = R"({"id":9,"jsonrpc":"2.0","result":null})";

std::string capabilities(const std::string& encoding) {
  return R"({"id":1,"jsonrpc":"2.0","result":{"capabilities":{"documentFormattingProvider":true,"documentRangeFormattingProvider":true,"positionEncoding":")" +
         encoding +
         R"(","textDocumentSync":{"change":2,"openClose":true}},"serverInfo":{"name":"quillfix","version":")" QUILLFIX_VERSION
         R"("}}})";
}

std::string open(const std::string& name, const std::string& text) {
  return R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file://DIR/)" +
         name + R"(","languageId":"c","version":1,"text":)" + text + "}}}";
}

std::string format(const std::string& name, const std::string& options) {
  return R"({"jsonrpc":"2.0","id":2,"method":"textDocument/formatting","params":{"textDocument":{"uri":"file://DIR/)" +
         name + R"("},"options":)" + options + "}}";
}

std::string formatRange(const std::string& range) {
  return R"({"jsonrpc":"2.0","id":2,"method":"textDocument/rangeFormatting","params":{"textDocument":{"uri":"file://DIR/a.c"},"options":{"tabSize":4,"insertSpaces":false},"range":)" +
         range + "}}";
}

std::string change(const std::string& changes) {
  return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"file://DIR/a.c","version":2},"contentChanges":)" +
         changes + "}}";
}

std::string result(const std::string& json) {
  return R"({"id":2,"jsonrpc":"2.0","result":)" + json + "}";
}

std::string error(const std::string& id, int code, const std::string& message) {
  return R"({"error":{"code":)" + std::to_string(code) + R"(,"message":")" +
         message + R"("},"id":)" + id + R"(,"jsonrpc":"2.0"})";
}

const std::vector<Exchange> kExchanges = {
    {"InitializeAnnouncesUtf16WhenUtf8IsNotOffered",
     {kUtf16, kShutdown, kExit},
     {capabilities("utf-16"), kShutDown},
     0},
    {"InitializeAnnouncesUtf8WhenOffered",
     {kUtf8, kShutdown, kExit},
     {capabilities("utf-8"), kShutDown},
     0},
    {"ExitWithoutShutdownEndsWithOne",
     {kUtf16, kExit},
     {capabilities("utf-16")},
     1},
    {"ExitBeforeInitializeEndsWithOne", {kExit}, {}, 1},
    {"RequestBeforeInitializeIsRefusedAndTheServerGoesOn",
     {format("a.c", "{}"), kUtf16, kShutdown, kExit},
     {error("2", kServerNotInitialized, "not initialized"),
      capabilities("utf-16"), kShutDown},
     0},
    {"MalformedJsonIsAParseErrorAndTheServerGoesOn",
     {"{\"jsonrpc\":", kUtf16, kShutdown, kExit},
     {error("null", kParseError, "not JSON"), capabilities("utf-16"),
      kShutDown},
     0},
    {"AMessageThatIsNotJsonRpcIsAnInvalidRequest",
     {R"({"id":3,"method":"initialize"})", "[1,2]", kUtf16, kShutdown, kExit},
     {error("3", kInvalidRequest, "not a JSON-RPC 2.0 message"),
      error("null", kInvalidRequest, "not a JSON-RPC 2.0 message"),
      capabilities("utf-16"), kShutDown},
     0},
    {"AnUnknownMethodIsNotFoundAndAnUnknownNotificationUnanswered",
     {kUtf16, R"({"jsonrpc":"2.0","id":"x","method":"workspace/symbol"})",
      R"({"jsonrpc":"2.0","method":"$/unknown"})", kShutdown, kExit},
     {capabilities("utf-16"),
      error("\"x\"", kMethodNotFound, "unknown method: workspace/symbol"),
      kShutDown},
     0},
    {"ARequestAfterShutdownIsAnInvalidRequest",
     {kUtf16, kShutdown, format("a.c", "{}"), kExit},
     {capabilities("utf-16"), kShutDown,
      error("2", kInvalidRequest, "shut down")},
     0},
    {"AResponseFromTheClientIsUnansweredAndBadParamsAreInvalid",
     {kUtf16, R"({"jsonrpc":"2.0","id":7,"result":null})",
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{}})",
      R"({"jsonrpc":"2.0","id":2,"method":"textDocument/formatting","params":{"textDocument":{}}})",
      kShutdown, kExit},
     {capabilities("utf-16"),
      error("2", kInvalidParams,
            "[json.exception.out_of_range.403] key 'uri' not found"),
      kShutDown},
     0},
    {"InitializeTwiceIsAnInvalidRequest",
     {kUtf16, kUtf16, kShutdown, kExit},
     {capabilities("utf-16"),
      error("1", kInvalidRequest, "already initialized"), kShutDown},
     0},
    {"FormattingIndentsAsTheOptionsAsk",
     {kUtf16, open("a.c", R"("int main(){\nreturn 0;}\n")"),
      format("a.c", R"({"tabSize":2,"insertSpaces":true})"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int main() \n{\n  return 0;\n}\n","range":{"end":{"character":10,"line":1},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"FormattingWithoutOptionsIndentsOneTab",
     {kUtf16, open("a.c", R"("int main(){\nreturn 0;}\n")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int main() \n{\n\treturn 0;\n}\n","range":{"end":{"character":10,"line":1},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"EditorConfigComesBeforeTheOptions",
     {kUtf16, open("e/a.c", R"("int main(){\nreturn 0;}\n")"),
      format("e/a.c", R"({"tabSize":2,"insertSpaces":true})"), kShutdown,
      kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int main() \n{\n   return 0;\n}\n","range":{"end":{"character":10,"line":1},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"TheFilePathIsTheUrisPercentDecoded",
     {kUtf16, open("s%20p/a.c", R"("int main(){\nreturn 0;}\n")"),
      format("s%20p/a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int main() \n{\n     return 0;\n}\n","range":{"end":{"character":10,"line":1},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"EditsAreOnePerRunOfChangedLines",
     {kUtf16,
      open("a.c", R"("int f() \n{\n\treturn 1;\n}\n\nint g(){\nreturn 2;}\n")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int g() \n{\n\treturn 2;\n}\n","range":{"end":{"character":10,"line":6},"start":{"character":0,"line":5}}}])"),
      kShutDown},
     0},
    {"AnInsertionOrADeletionLeavesTheNextLineAlone",
     {kUtf16,
      open(
          "a.c",
          R"("int f() \n{\n\treturn 1;\n}\nint g() \n{\n\treturn 2;\n}\n\n\n")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"\n","range":{"end":{"character":1,"line":3},"start":{"character":1,"line":3}}},{"newText":"","range":{"end":{"character":0,"line":9},"start":{"character":0,"line":8}}}])"),
      kShutDown},
     0},
    {"ASortedDocumentGetsNoEdit",
     {kUtf16, open("a.c", R"("int f() \n{\n\treturn 1;\n}\n\n")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"), result("[]"), kShutDown},
     0},
    {"RangeFormattingMakesOnlyTheChangesOnItsLines",
     {kUtf16,
      open("a.c", R"("int f(){\nreturn 1;}\n\nint g(){\nreturn 2;}\n")"),
      formatRange(
          R"({"start":{"line":3,"character":0},"end":{"line":4,"character":3}})"),
      kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int g() \n{\n\treturn 2;\n}\n","range":{"end":{"character":10,"line":4},"start":{"character":0,"line":3}}}])"),
      kShutDown},
     0},
    {"ARangeEndingAtALineStartLeavesThatLineOut",
     {kUtf16,
      open("a.c", R"("int f(){\nreturn 1;}\n\nint g(){\nreturn 2;}\n")"),
      formatRange(
          R"({"start":{"line":2,"character":0},"end":{"line":3,"character":0}})"),
      kShutdown, kExit},
     {capabilities("utf-16"), result(R"([])"), kShutDown},
     0},
    {"FullChangesReplaceTheText",
     {kUtf16, open("a.c", R"("int f(){\nreturn 1;}\n")"),
      change(R"([{"text":"int f() \n{\n\treturn 1;\n}\n\n"}])"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"), result("[]"), kShutDown},
     0},
    {"IncrementalChangesCountUtf16UnitsOutsideTheBmpAsTwo",
     {kUtf16, open("a.c", R"("int  a; // \ud83d\ude00x\n")"),
      change(
          R"([{"range":{"start":{"line":0,"character":13},"end":{"line":0,"character":14}},"text":"y"}])"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int a;\n// 😀y","range":{"end":{"character":14,"line":0},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"IncrementalChangesCountUtf8Bytes",
     {kUtf8, open("a.c", R"("int  a; // \u00e9\ud83d\ude00x\n")"),
      change(
          R"([{"range":{"start":{"line":0,"character":17},"end":{"line":0,"character":18}},"text":"y"}])"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-8"),
      result(
          R"([{"newText":"int a;\n// é😀y","range":{"end":{"character":18,"line":0},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"EditPositionsCountUtf16Units",
     {kUtf16, open("a.c", R"("int  a; // \u00e9\ud83d\ude00")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int a;\n// é😀","range":{"end":{"character":14,"line":0},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"EditPositionsCountUtf8Bytes",
     {kUtf8, open("a.c", R"("int  a; // \u00e9\ud83d\ude00")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-8"),
      result(
          R"([{"newText":"int a;\n// é😀","range":{"end":{"character":17,"line":0},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
    {"ADocumentThatCannotBeSortedGetsQuillfixsReason",
     {kUtf16, open("a.c", R"("a\u0000b;\n")"), format("a.c", "{}"), kShutdown,
      kExit},
     {capabilities("utf-16"),
      error("2", kRequestFailed, "binary or UTF-16 without a byte-order mark"),
      kShutDown},
     0},
    {"ADocumentOfAnotherLanguageGetsAnError",
     {kUtf16, open("a.txt", R"("a\n")"), format("a.txt", "{}"), kShutdown,
      kExit},
     {capabilities("utf-16"),
      error("2", kRequestFailed, "not a C, C++ or Java file name"), kShutDown},
     0},
    {"AClosedDocumentCannotBeFormatted",
     {kUtf16, open("a.c", R"("int a;\n")"),
      R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":"file://DIR/a.c"}}})",
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      error("2", kInvalidParams, "not an open document: file://DIR/a.c"),
      kShutDown},
     0},
    {"RegionsLeftAloneStayAsTheyAre",
     {kUtf16, open("a.c", R"("int f(){\n// quillfix off\nreturn  1;}\n")"),
      format("a.c", "{}"), kShutdown, kExit},
     {capabilities("utf-16"),
      result(
          R"([{"newText":"int f() \n{\n\t// quillfix off","range":{"end":{"character":15,"line":1},"start":{"character":0,"line":0}}}])"),
      kShutDown},
     0},
};

void PrintTo(const Exchange& exchange, std::ostream* out) {
  *out << exchange.name;
}

std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class ExchangeTest : public testing::TestWithParam<Exchange> {};

TEST_P(ExchangeTest, AnswersByteForByte) {
  const Exchange& exchange = GetParam();
  ScratchDirectory folder;
  writeFile(folder / ".editorconfig",
            "root = true\n[e/*.c]\nindent_style = space\nindent_size = 3\n"
            "[s p/*.c]\nindent_style = space\nindent_size = 5\n");
  std::string input;
  for (const std::string& message : exchange.messages)
    input += framed(replaceAll(message, "DIR", folder.path()));
  std::string expected;
  for (const std::string& response : exchange.responses)
    expected += framed(replaceAll(response, "DIR", folder.path()));
  RunOptions options;
  options.input = input;
  options.directory = folder.path();
  RunResult run = runQuillfix({"--lsp"}, options);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, exchange.status);
}

INSTANTIATE_TEST_SUITE_P(LanguageServer, ExchangeTest,
                         testing::ValuesIn(kExchanges),
                         [](const testing::TestParamInfo<Exchange>& info) {
                           return info.param.name;
                         });

// A source of bytes that gives `text`, in parts of at most `part` bytes.
std::function<size_t(char*, size_t)> sourceOf(std::string text, size_t part) {
  auto at = std::make_shared<size_t>(0);
  return [text = std::move(text), part, at](char* buffer, size_t size) {
    size_t n = std::min({size, part, text.size() - *at});
    std::memcpy(buffer, text.data() + *at, n);
    *at += n;
    return n;
  };
}

TEST(MessageReaderTest, ReadsMessagesInAnyPartsWithAnyHeaders) {
  MessageReader reader(sourceOf(
      "Content-Length: 2\r\n\r\n{}content-length:3\r\nContent-Type: x\r\n\r\n"
      "[1]",
      1));
  std::string message;
  EXPECT_EQ(reader.next(&message), Framed::kMessage);
  EXPECT_EQ(message, "{}");
  EXPECT_EQ(reader.next(&message), Framed::kMessage);
  EXPECT_EQ(message, "[1]");
  EXPECT_EQ(reader.next(&message), Framed::kEnd);
}

TEST(MessageReaderTest, SkipsAMessageWithoutALengthAndGoesOn) {
  MessageReader reader(
      sourceOf("Content-Type: x\r\n\r\nContent-Length: 2\r\n\r\n{}", 7));
  std::string message;
  EXPECT_EQ(reader.next(&message), Framed::kBadHeader);
  EXPECT_EQ(reader.next(&message), Framed::kMessage);
  EXPECT_EQ(message, "{}");
}

TEST(MessageReaderTest, SkipsAMessageTooLargeAndGoesOn) {
  size_t size = kMaxMessageSize + 1;
  size_t given = 0;
  std::string header = "Content-Length: " + std::to_string(size) + "\r\n\r\n";
  std::string after = "Content-Length: 2\r\n\r\n{}";
  MessageReader reader([&](char* buffer, size_t room) -> size_t {
    size_t total = header.size() + size + after.size();
    size_t n = std::min(room, total - given);
    for (size_t k = 0; k < n; ++k, ++given) {
      if (given < header.size())
        buffer[k] = header[given];
      else if (given < header.size() + size)
        buffer[k] = ' ';
      else
        buffer[k] = after[given - header.size() - size];
    }
    return n;
  });
  std::string message;
  EXPECT_EQ(reader.next(&message), Framed::kTooLarge);
  EXPECT_EQ(reader.next(&message), Framed::kMessage);
  EXPECT_EQ(message, "{}");
}

TEST(LanguageServerTest, ATooLargeMessageIsAnInvalidRequest) {
  EXPECT_EQ(LanguageServer::tooLarge(),
            error("null", kInvalidRequest, "message too large"));
}

TEST(LanguageServerTest, AHeaderWithoutLengthIsAParseError) {
  RunOptions options;
  options.input = "Content-Type: x\r\n\r\n" + framed(kExit);
  RunResult run = runQuillfix({"--lsp"}, options);
  EXPECT_EQ(run.out,
            framed(error("null", kParseError, "no Content-Length header")));
  EXPECT_EQ(run.status, 1);
}

}  // namespace
