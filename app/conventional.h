#ifndef QUILLFIX_APP_CONVENTIONAL_H_
#define QUILLFIX_APP_CONVENTIONAL_H_

#include <string>
#include <vector>

#include "format/source.h"

/// Runs the conventional command line, `arguments` being those after the
/// program's name, and returns the exit status: 2 when anything failed, else
/// 1 when --check or --diff found a file that would change, else 0.
int runConventional(const std::vector<std::string>& arguments);

/// Why a source could not be sorted, in words; empty for kNone.
std::string describeFailure(SortFailure failure);

#endif  // QUILLFIX_APP_CONVENTIONAL_H_
