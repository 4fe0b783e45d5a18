#ifndef QUILLFIX_APP_CODE_H_
#define QUILLFIX_APP_CODE_H_

#include <cstdint>
#include <string>

#include "base/bytes.h"
#include "format/encoding.h"
#include "format/indent.h"

struct Language;

// The source document of the classic command line: one file loaded whole,
// and the indentation to lay it out with. Every failure writes its message
// and ends the program.
class Code {
 public:
  /// Loads the file at `path`, or ends the program with a message.
  explicit Code(std::string path);
  virtual ~Code() = default;

  /// Sets the indentation from a specification such as "t1" or "s2".
  void setIndent(std::string spec);

  /// Returns the text of one indentation level.
  std::string indentUnit() const;

  /// Returns the formatted text as it is written: in the source's encoding,
  /// with the platform's line ends.
  virtual Bytes sort() const;

  /// True when a 0x1A ended the text before the end of the file.
  bool textEndsEarly() const { return sourceEncoding.endsEarly(); }

 protected:
  /// Formats the text by the rules of `language`, or ends the program when
  /// that fails.
  Bytes sortAs(const Language& language) const;

  std::string sourcePath;
  Bytes sourceText;  // one byte per code unit of the file
  SourceEncoding sourceEncoding;
  std::string indentChar = "\t";
  int32_t indentCount = 1;

 private:
  void loadSource();
};

#endif  // QUILLFIX_APP_CODE_H_
