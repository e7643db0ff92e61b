// The command-line rules answered by the running system: its environment,
// its drives and files, and its search for programs.
#pragma once

#include <string_view>

#include "rules/CommandLine.h"

namespace rules {

// The row's status on this machine, and who can replace its program. Touches
// only local fixed drives.
ProgramCheck CheckProgram(std::string_view commandLine);
ProgramStatus ProbeProgram(std::string_view commandLine);

} // namespace rules
