#ifndef QUILLFIX_APP_JAVA_CODE_H_
#define QUILLFIX_APP_JAVA_CODE_H_

#include "app/code.h"

// A Java source file.
class JavaCode : public Code {
 public:
  /// Loads the file at `path`, or ends the program with a message.
  explicit JavaCode(std::string path);

  /// Returns the text laid out by the Java rules.
  Bytes sort() const override;
};

#endif  // QUILLFIX_APP_JAVA_CODE_H_
