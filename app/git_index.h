#ifndef QUILLFIX_APP_GIT_INDEX_H_
#define QUILLFIX_APP_GIT_INDEX_H_

#include <string>
#include <string_view>
#include <vector>

/// The paths that a git index file tracks (`index`, its bytes), '/' between
/// their names, in byte order and each once. Index versions 2, 3 and 4 are
/// read, with object names of SHA-1 or SHA-256; anything else, or an index
/// cut short, gives no path at all. The entries of a split index's shared
/// part and the folders of a sparse index are not listed.
std::vector<std::string> trackedPaths(std::string_view index);

#endif  // QUILLFIX_APP_GIT_INDEX_H_
