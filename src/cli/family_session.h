#pragma once

#include <cstdio>

#include "cli/cli_options.h"
#include "cli/terminal_view.h"

// The commands on any chip of the family other than through the window program's own passes:
// every chip but the AT89S8252, `auto`, `signature` and `lock` without a mode. The file image,
// when the command takes one, is already in the image store; the adapter is open, the timing set
// for the chip (or for the probe, with `auto`).
int RunFamilyCommand(const CliOptions& options, TerminalView& view, std::FILE* out, std::FILE* err);

// Whether `options` go through RunFamilyCommand.
bool UsesFamilyCommand(const CliOptions& options);
