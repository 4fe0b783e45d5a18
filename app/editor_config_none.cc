#include "app/editor_config.h"

// Where quillfix is built without the EditorConfig library, no file asks
// for anything.
bool readEditorConfig(const std::string&, EditorConfigProperties*,
                      std::string*) {
  return true;
}
