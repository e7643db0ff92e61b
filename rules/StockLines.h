// Whether a line is one of the lines Windows itself puts into a tool's key.
// Only the console program holds the keys to them (/stock); the window never
// asks, so this object is linked only where it is called.
#pragma once

#include <string>

namespace rules {

// The line as stored (a REG_EXPAND_SZ's references unexpanded) is, once the
// system has expanded it, the tool's stock line, its successor's, or on
// Windows Server the server's own; compared without case, as paths are.
bool IsStockLine(int tool, const std::string& line);

// The stored line is `line` as the comparison of stock lines sees them: both
// expanded by the system, without case.
bool IsSameLine(const std::string& stored, const std::string& line);

} // namespace rules
