#include "app/java_code.h"

#include "format/language.h"

JavaCode::JavaCode(std::string path) : Code(std::move(path)) {}

Bytes JavaCode::sort() const {
  return sortAs(kJavaLanguage);
}
