#include "app/code.h"

#include "app/console.h"
#include "format/source.h"
#include "platform/platform.h"

namespace {

const char kFatalMessage[] = "ERROR: This program has a fatal error. ";

}  // namespace

Code::Code(std::string path) : sourcePath(std::move(path)) {
  if (sourcePath.empty()) fatal("Error: No Filename. ");
  loadSource();
}

void Code::loadSource() {
  switch (readWholeFile(sourcePath, &sourceText)) {
    case ReadResult::kOk:
      sourceEncoding.decode(&sourceText);
      return;
    case ReadResult::kOpenFailed:
      fatal(sourcePath + " : Source file opening failed.");
    case ReadResult::kReadFailed:
      fatal(sourcePath + " : Source file reading failed.");
  }
}

// An empty specification keeps the current indentation.
void Code::setIndent(std::string spec) {
  Indent indent{indentChar[0], indentCount};
  if (!parseIndent(spec, &indent)) fatal("ERROR: Indent count is too large.");
  indentChar.assign(1, indent.character);
  indentCount = indent.count;
}

std::string Code::indentUnit() const {
  return Indent{indentChar[0], indentCount}.unit();
}

Bytes Code::sort() const {
  fatal(kFatalMessage);
}

Bytes Code::sortAs(const Language& language) const {
  Bytes sorted;
  switch (sortSource(view(sourceText), sourceEncoding, language, indentUnit(),
                     kCrLfLineEnds, MarkedRegions::kSorted, &sorted)) {
    case SortFailure::kNone:
      return sorted;
    case SortFailure::kTooLarge:
      fatal(kTooLargeMessage);
    default:
      fatal(kFatalMessage);
  }
}
