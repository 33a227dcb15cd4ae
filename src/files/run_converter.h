#pragma once

#include <optional>

#include "files/image_file_paths.h"

class MainWindowView;

// Hands the chosen object file to the converter in the start-up directory and waits for it.
// Returns the path of the binary to read, or nothing when the converter is not there (after
// telling the user). A converter that could not be started, failed, or could not be given its
// argument within the 300-character command line yields an empty path, so that no binary left
// by an earlier conversion is taken for its output.
std::optional<PathBuffer> RunConverter(MainWindowView& window);
