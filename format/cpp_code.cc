#include "format/cpp_code.h"

#include "format/engine.h"

CppCode::CppCode(std::string path) : Code(std::move(path)) {
  setIndent("t1");
}

Bytes CppCode::sort() const {
  return sortAs(kCppLanguage);
}
