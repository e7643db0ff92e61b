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

// A later mend outranks an earlier one: a row that needs both would be
// mended and then replaced. Retype keeps the line and stores it as
// REG_EXPAND_SZ. Expected is a tool's only mend where the organisation set
// its own. Leave outranks them all: a row the rules could not judge is never
// rewritten on a guess.
enum class Mend { Retype, Quote, Default, Expected, Leave };

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

// An enabled key the shell can do nothing with, whatever its program.
inline constexpr Finding NoLine{"no-line", rules::NoLineText.full, Mend::Default};
inline constexpr Finding Unexpanded{"unexpanded", rules::UnexpandedText.full, Mend::Retype};

inline constexpr Finding NotStock{"not-stock", "Not a stock line", Mend::Default};
inline constexpr Finding NotExpected{"not-expected", "Not as expected", Mend::Expected};

// A tool's key as one read found it, and what is wrong with it.
struct Judged {
    rules::ReadRow read;
    // The line as stored: a REG_EXPAND_SZ's references unexpanded.
    std::string storedLine;
    std::vector<const Finding*> findings;
    // Who can change what, when the program is replaceable.
    std::string replaceableBy;
    // The organisation's own line or switch, from /expect.
    std::optional<rules::Row> expected;
};

// One read of the tool's key (ReadTool), judged as the shell would read it:
// a key it cannot use is a finding before its program is looked at. A key
// that cannot be read, or not in this code page, has no finding: it is not
// judged at all. `stock`: a line that is none of the tool's stock lines is a
// finding too, unless the tool is `expected` otherwise: then a row other than
// that is.
Judged Judge(Registry& registry, int tool, bool stock, const std::optional<rules::Row>& expected);

// Why the key gives no row that can be judged, when it does not.
std::optional<rules::Unreadable> ReadFailure(const rules::ReadRow& read);

// Whether writing `row` would change what the key holds: a run that would
// write what is there already writes nothing.
bool Changes(const Judged& judged, const rules::Row& row);

struct Mended {
    rules::Row row;
    Mend mend;
};

// What a repair writes into the row, or nothing: the row has no finding, its
// mend would store what is stored already, the program the quotes belong
// around cannot be told, no Default line would start here, or the expected
// line's program is not found. A tool with an expectation gets nothing but
// that: a mend of the expected line's own findings would make it unexpected,
// and the next repair would put it back.
std::optional<Mended> MendOf(const Judged& judged, int tool);

} // namespace console
