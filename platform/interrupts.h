#ifndef QUILLFIX_PLATFORM_INTERRUPTS_H_
#define QUILLFIX_PLATFORM_INTERRUPTS_H_

// The gate between replaces and an interrupt, shared by both systems: a
// replace passes it while no interrupt has come, and an interrupt waits at
// it for the replaces under way.

/// Lets one replace begin; false once an interrupt has come.
bool beginReplace();

/// Ends a replace begun by `beginReplace`.
void endReplace();

/// Shuts the gate for good and returns once no replace is under way; the
/// caller then ends the program.
void shutReplaces();

#endif  // QUILLFIX_PLATFORM_INTERRUPTS_H_
