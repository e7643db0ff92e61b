#include "console/Findings.h"

#include <windows.h>

#include <versionhelpers.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "app/ProgramProbe.h"
#include "base/Environment.h"
#include "console/Text.h"
#include "registry/ValueCodec.h"

namespace console {

namespace {

// Beside each tool's stock lines, the one Windows Server sets: its backup is
// the Windows Server Backup snap-in.
constexpr std::array<const char*, app::ToolCount> ServerCommandLines{
    "%SystemRoot%\\system32\\wbadmin.msc", nullptr, nullptr};

// As the system expands it for the shell; a line it cannot expand stands as
// it is. Compared ordinally without case, as the file system compares paths.
std::wstring Comparable(const std::string& line) {
    return Widened(base::ExpandEnvironment(line).value_or(line), CP_ACP);
}

bool IsStockLine(int tool, const std::string& line) {
    static const bool server = IsWindowsServer();
    const app::Tool& stock = app::Tools[tool];
    const std::wstring compared = Comparable(line);
    for (const char* stockLine : {stock.defaultCommandLine, stock.successorCommandLine,
                                  server ? ServerCommandLines[tool] : nullptr}) {
        if (!stockLine)
            continue;
        const std::wstring expected = Comparable(stockLine);
        if (CompareStringOrdinal(compared.data(), static_cast<int>(compared.size()),
                                 expected.data(), static_cast<int>(expected.size()),
                                 TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// The line with its program in double quotes and its arguments kept. The rules
// cut the expanded line at its blanks, but an environment reference such as
// %ProgramFiles% may hold blanks of its own, and the line keeps its
// references: so each cut of the stored line, shortest first, is quoted and
// asked of the rules until they find the program.
std::optional<std::string> QuotedProgram(const std::string& stored) {
    constexpr std::string_view Blanks = " \t";
    const std::size_t first = stored.find_first_not_of(Blanks);
    if (first == std::string::npos)
        return std::nullopt;
    const std::string line = stored.substr(first, stored.find_last_not_of(Blanks) - first + 1);
    for (std::size_t end = line.find_first_of(Blanks);;
         end = line.find_first_of(Blanks, line.find_first_not_of(Blanks, end))) {
        std::string quoted = '"' + line.substr(0, end) + '"';
        if (end != std::string::npos)
            quoted += line.substr(end);
        if (app::ProbeProgram(quoted) == app::ProgramStatus::Fine)
            return quoted;
        if (end == std::string::npos)
            return std::nullopt;
    }
}

} // namespace

Judged Judge(Registry& registry, int tool, bool stock) {
    Judged judged{app::ReadTool(registry, tool), {}, {}, {}};
    const StoredValue& stored = judged.read.stored;
    judged.storedLine = stored.read && stored.type == ValueTypeCode::ExpandString
                            ? decodeValueData(stored.type, stored.data, stored.data.size()).toText()
                            : judged.read.row.line;
    if (judged.read.row.off)
        return judged;
    app::ProgramCheck check = app::StatusOf(judged.read.row);
    judged.replaceableBy = std::move(check.replaceableBy);
    for (const StatusFinding& finding : StatusFindings)
        if (finding.status == check.status)
            judged.findings.push_back(&finding.finding);
    if (stock && !IsStockLine(tool, judged.storedLine))
        judged.findings.push_back(&NotStock);
    return judged;
}

std::optional<Mended> MendOf(const Judged& judged, int tool) {
    if (judged.findings.empty())
        return std::nullopt;
    Mend mend = Mend::Quote;
    for (const Finding* finding : judged.findings)
        mend = std::max(mend, finding->mend);
    const std::optional<std::string> line =
        mend == Mend::Default ? std::optional<std::string>(app::DefaultCommandLine(tool))
                              : QuotedProgram(judged.storedLine);
    if (!line)
        return std::nullopt;
    const app::Row row{false, *line};
    const std::int32_t type =
        app::NeedsExpandString(row) ? ValueTypeCode::ExpandString : ValueTypeCode::String;
    const StoredValue& stored = judged.read.stored;
    if (stored.read && stored.type == type && judged.storedLine == *line)
        return std::nullopt;
    return Mended{row, mend};
}

} // namespace console
