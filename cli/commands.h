// The commands of tq350: each checks its arguments and files first, then
// opens the port for each exchange as the dialog program does.
#pragma once

#include "cli/arguments.h"

namespace tq350::cli {

// The exit status.
int run_command(const Invocation& call);

} // namespace tq350::cli
