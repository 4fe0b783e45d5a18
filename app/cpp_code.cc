#include "app/cpp_code.h"

#include "format/language.h"

CppCode::CppCode(std::string path) : Code(std::move(path)) {
  setIndent("t1");
}

Bytes CppCode::sort() const {
  return sortAs(kCppLanguage);
}
