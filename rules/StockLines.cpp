#include "rules/StockLines.h"

#include <windows.h>

#include <versionhelpers.h>

#include <array>

#include "base/Environment.h"
#include "base/Text.h"
#include "rules/Tools.h"

namespace rules {

namespace {

// Beside each tool's stock lines, the one Windows Server sets: its backup is
// the Windows Server Backup snap-in.
constexpr std::array<const char*, ToolCount> ServerCommandLines{
    "%SystemRoot%\\system32\\wbadmin.msc", nullptr, nullptr};

// As the system expands it for the shell; a line it cannot expand stands as
// it is. Compared ordinally without case, as the file system compares paths.
std::wstring Comparable(const std::string& line) {
    return base::Widened(base::ExpandEnvironment(line).value_or(line), CP_ACP);
}

} // namespace

bool IsSameLine(const std::string& stored, const std::string& line) {
    const std::wstring compared = Comparable(stored);
    const std::wstring expected = Comparable(line);
    return CompareStringOrdinal(compared.data(), static_cast<int>(compared.size()), expected.data(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

bool IsStockLine(int tool, const std::string& line) {
    static const bool server = IsWindowsServer();
    const Tool& stock = Tools[tool];
    for (const char* stockLine : {stock.defaultCommandLine, stock.successorCommandLine,
                                  server ? ServerCommandLines[tool] : nullptr})
        if (stockLine && IsSameLine(line, stockLine))
            return true;
    return false;
}

} // namespace rules
