#pragma once

#include <optional>
#include <string>
#include <vector>

// Starts `program` with `arguments` (each one argument, never re-split at blanks and never seen
// by a shell), with no window shown, and waits without a time limit for it to end. On Linux
// the program inherits standard input, output and error and no other descriptor; on Windows it
// inherits no handle at all (it writes to the console it shares, if any).
// Returns its exit status (0 = success), or nothing when it could not be started.
std::optional<int> RunHiddenAndWait(const std::string& program,
                                    const std::vector<std::string>& arguments);
