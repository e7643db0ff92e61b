// quillmerec's commands over the tool rules: each reads the three keys, writes
// what it has to, and gives the report of the keys as they are afterwards.
#pragma once

#include "console/Arguments.h"
#include "console/Report.h"

namespace console {

// Never raises for the registry: what it refuses is the report's refusal, and
// nothing after it is written.
Report Run(const Command& command);

} // namespace console
