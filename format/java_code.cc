#include "format/java_code.h"

#include "format/engine.h"

JavaCode::JavaCode(std::string path) : Code(std::move(path)) {}

std::string JavaCode::sort() const {
  return sortAs(kJavaLanguage);
}
