#include <editorconfig/editorconfig.h>

#include "app/editor_config.h"

namespace {

// Frees the library's handle however the reading ends.
class Handle {
 public:
  Handle() : handle_(editorconfig_handle_init()) {}
  ~Handle() { editorconfig_handle_destroy(handle_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  editorconfig_handle get() const { return handle_; }

 private:
  editorconfig_handle handle_;
};

}  // namespace

bool readEditorConfig(const std::string& absolutePath,
                      EditorConfigProperties* properties, std::string* error) {
  Handle handle;
  int status = editorconfig_parse(absolutePath.c_str(), handle.get());
  if (status > 0) {
    *error = std::string("cannot read ")
                 .append(editorconfig_handle_get_err_file(handle.get()))
                 .append(", line ")
                 .append(std::to_string(status));
    return false;
  }
  if (status < 0) {
    *error = std::string("cannot read .editorconfig: ")
                 .append(editorconfig_get_error_msg(status));
    return false;
  }
  int count = editorconfig_handle_get_name_value_count(handle.get());
  for (int k = 0; k < count; ++k) {
    const char* name = nullptr;
    const char* value = nullptr;
    editorconfig_handle_get_name_value(handle.get(), k, &name, &value);
    properties->emplace_back(name, value);
  }
  return true;
}
