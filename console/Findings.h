// What quillmerec finds wrong with a tool's row, and how a repair mends it:
// the statuses the window shows beside a row, and on request a line that is
// not one of the tool's stock lines. A switched-off tool is a choice, never a
// finding.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "rules/ToolRules.h"

namespace console {

// Default outranks Quote: a row that needs both would be quoted and then
// replaced. Leave outranks both: a row the rules could not judge is never
// rewritten on a guess.
enum class Mend { Quote, Default, Leave };

struct Finding {
    const char* id;   // for scripts: never changed once released
    const char* text; // as the window says it
    Mend mend;
    bool namesWho = false; // the report adds who can change what
};

struct StatusFinding {
    rules::ProgramStatus status;
    Finding finding;
};

// One row for each program status that is a finding. A row that is also
// replaceable beside its status (a missing program others may put in place)
// is reported with the replaceable row's finding too.
inline constexpr std::array<StatusFinding, 4> StatusFindings{{
    {rules::ProgramStatus::NotFound, {"not-found", rules::NotFoundText.full, Mend::Default}},
    {rules::ProgramStatus::NeedsQuotes, {"needs-quotes", rules::NeedsQuotesText.full, Mend::Quote}},
    // The stock programs live where only administrators write.
    {rules::ProgramStatus::Replaceable,
     {"replaceable", rules::ReplaceableText.full, Mend::Default, true}},
    {rules::ProgramStatus::CannotCheck, {"cannot-check", rules::CannotCheckText.full, Mend::Leave}},
}};

inline constexpr Finding NotStock{"not-stock", "Not a stock line", Mend::Default};

// A tool's key as one read found it, and what is wrong with it.
struct Judged {
    rules::ReadRow read;
    // The line as stored: a REG_EXPAND_SZ's references unexpanded.
    std::string storedLine;
    std::vector<const Finding*> findings;
    // Who can change what, when the program is replaceable.
    std::string replaceableBy;
};

// One read of the tool's key (ReadTool), judged with no further registry call.
// `stock`: a line that is none of the tool's stock lines is a finding too.
Judged Judge(Registry& registry, int tool, bool stock);

struct Mended {
    rules::Row row;
    Mend mend;
};

// What a repair writes into the row, or nothing: the row has no finding, its
// mend would store what is stored already, or the program the quotes belong
// around cannot be told.
std::optional<Mended> MendOf(const Judged& judged, int tool);

} // namespace console
