#ifndef QUILLFIX_APP_CPP_CODE_H_
#define QUILLFIX_APP_CPP_CODE_H_

#include "app/code.h"

// A C or C++ source file.
class CppCode : public Code {
 public:
  /// Loads the file at `path`, or ends the program with a message.
  explicit CppCode(std::string path);

  /// Returns the text laid out by the C/C++ rules.
  Bytes sort() const override;
};

#endif  // QUILLFIX_APP_CPP_CODE_H_
