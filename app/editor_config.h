#ifndef QUILLFIX_APP_EDITOR_CONFIG_H_
#define QUILLFIX_APP_EDITOR_CONFIG_H_

#include <string>
#include <utility>
#include <vector>

#include "format/indent.h"

// The properties that the .editorconfig files give a file, by name, as the
// EditorConfig library reads them.
using EditorConfigProperties = std::vector<std::pair<std::string, std::string>>;

/// Reads the properties that the .editorconfig files apply to the file at
/// `absolutePath` into `properties`. False, with `error` saying why, when a
/// .editorconfig file cannot be read.
bool readEditorConfig(const std::string& absolutePath,
                      EditorConfigProperties* properties, std::string* error);

/// The indentation that `properties` ask for: one tab for indent_style tab,
/// indent_size blanks (else tab_width blanks) for indent_style space, and
/// one tab where they ask nothing. A value that cannot be used gives one tab
/// too, and `warning` says which.
Indent indentOfProperties(const EditorConfigProperties& properties,
                          std::string* warning);

/// The indentation that the .editorconfig files ask for the file at `path`,
/// taken from the current folder, as indentOfProperties gives it; one tab,
/// with a warning, when they cannot be read.
Indent indentOfEditorConfig(const std::string& path, std::string* warning);

#endif  // QUILLFIX_APP_EDITOR_CONFIG_H_
