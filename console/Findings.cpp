#include "console/Findings.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "registry/ValueCodec.h"
#include "rules/StockLines.h"

namespace console {

Judged Judge(Registry& registry, int tool, bool stock) {
    Judged judged{rules::ReadTool(registry, tool), {}, {}, {}};
    const StoredValue& stored = judged.read.stored;
    judged.storedLine = stored.read && stored.type == ValueTypeCode::ExpandString
                            ? decodeValueData(stored.type, stored.data, stored.data.size()).toText()
                            : judged.read.row.line;
    if (judged.read.row.off)
        return judged;
    rules::ProgramCheck check = rules::StatusOf(judged.read.row);
    judged.replaceableBy = std::move(check.replaceableBy);
    for (const StatusFinding& finding : StatusFindings)
        if (finding.status == check.status ||
            (finding.status == rules::ProgramStatus::Replaceable && !judged.replaceableBy.empty() &&
             check.status != finding.status))
            judged.findings.push_back(&finding.finding);
    if (stock && !rules::IsStockLine(tool, judged.storedLine))
        judged.findings.push_back(&NotStock);
    return judged;
}

std::optional<Mended> MendOf(const Judged& judged, int tool) {
    if (judged.findings.empty())
        return std::nullopt;
    Mend mend = Mend::Quote;
    for (const Finding* finding : judged.findings)
        mend = std::max(mend, finding->mend);
    if (mend == Mend::Leave)
        return std::nullopt;
    const std::optional<std::string> line =
        mend == Mend::Default ? std::optional<std::string>(rules::DefaultCommandLine(tool))
                              : rules::QuotedProgram(judged.storedLine);
    if (!line)
        return std::nullopt;
    const rules::Row row{false, *line};
    const std::int32_t type =
        rules::NeedsExpandString(row) ? ValueTypeCode::ExpandString : ValueTypeCode::String;
    const StoredValue& stored = judged.read.stored;
    if (stored.read && stored.type == type && judged.storedLine == *line)
        return std::nullopt;
    return Mended{row, mend};
}

} // namespace console
