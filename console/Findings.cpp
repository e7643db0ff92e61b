#include "console/Findings.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "base/Text.h"
#include "registry/ValueCodec.h"
#include "rules/ProgramProbe.h"
#include "rules/StockLines.h"

namespace console {

std::optional<rules::Unreadable> ReadFailure(const rules::ReadRow& read) {
    std::optional<rules::Unreadable> failure = read.unreadable;
    if (read.lostInCodePage)
        failure = rules::Unreadable{ERROR_NO_UNICODE_TRANSLATION, {}};
    if (failure && failure->text.empty())
        failure->text = base::SystemMessage(static_cast<DWORD>(failure->number));
    return failure;
}

Judged Judge(Registry& registry, int tool, bool stock, const std::optional<rules::Row>& expected) {
    Judged judged{rules::ReadTool(registry, tool), {}, {}, {}, expected};
    const rules::ReadRow& read = judged.read;
    const StoredValue& stored = read.stored;
    judged.storedLine = stored.read && stored.type == ValueTypeCode::ExpandString
                            ? decodeValueData(stored.type, stored.data, stored.data.size()).toText()
                            : read.row.line;
    if (ReadFailure(read))
        return judged;
    const bool off = read.row.off;
    if (expected &&
        (expected->off != off || (!off && !rules::IsSameLine(judged.storedLine, expected->line))))
        judged.findings.push_back(&NotExpected);
    if (off)
        return judged;
    switch (rules::KeyStatusOf(read.row, read)) {
    case rules::KeyStatus::NoLine:
        judged.findings.push_back(&NoLine);
        return judged;
    case rules::KeyStatus::Unexpanded:
        // The shell looks for a program named with the reference itself.
        judged.findings.push_back(&Unexpanded);
        return judged;
    case rules::KeyStatus::LostInCodePage:
    case rules::KeyStatus::Usable:
        break;
    }
    rules::ProgramCheck check = rules::StatusOf(read.row);
    judged.replaceableBy = std::move(check.replaceableBy);
    for (const StatusFinding& finding : StatusFindings)
        if (finding.status == check.status ||
            (finding.status == rules::ProgramStatus::Replaceable && !judged.replaceableBy.empty() &&
             check.status != finding.status))
            judged.findings.push_back(&finding.finding);
    if (stock && !expected && !rules::IsStockLine(tool, judged.storedLine))
        judged.findings.push_back(&NotStock);
    return judged;
}

bool Changes(const Judged& judged, const rules::Row& row) {
    const rules::ReadRow& read = judged.read;
    if (row.off)
        return !read.row.off || read.unreadable;
    const std::int32_t type =
        rules::NeedsExpandString(row) ? ValueTypeCode::ExpandString : ValueTypeCode::String;
    return !(read.stored.read && read.stored.type == type && judged.storedLine == row.line);
}

std::optional<Mended> MendOf(const Judged& judged, int tool) {
    if (judged.findings.empty())
        return std::nullopt;
    Mend mend = Mend::Retype;
    for (const Finding* finding : judged.findings)
        mend = std::max(mend, finding->mend);
    if (mend == Mend::Leave || (judged.expected && mend != Mend::Expected))
        return std::nullopt;
    std::optional<std::string> line;
    switch (mend) {
    case Mend::Retype:
        line = judged.storedLine;
        break;
    case Mend::Quote:
        line = rules::QuotedProgram(judged.storedLine);
        break;
    case Mend::Default:
        // A Default that would not start mends nothing, and the line it would
        // replace may be the administrator's own.
        if (const char* starting = rules::StartingDefaultLine(tool))
            line = starting;
        break;
    case Mend::Expected:
        // The key goes, or the expected line is written: as the Default is,
        // only where its program is found.
        if (judged.expected->off)
            return Mended{*judged.expected, mend};
        if (rules::ProbeProgram(judged.expected->line) != rules::ProgramStatus::NotFound)
            line = judged.expected->line;
        break;
    case Mend::Leave:
        break;
    }
    if (!line)
        return std::nullopt;
    const rules::Row row{false, *line};
    if (!Changes(judged, row))
        return std::nullopt;
    return Mended{row, mend};
}

} // namespace console
