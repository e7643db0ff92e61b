// What quillmerec tells: one line per tool and the verdict last, or the same
// as one JSON object on one line; and the exit code that goes with it. Plain
// C++: every text here is UTF-8 already.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "console/ExitCode.h"
#include "console/Findings.h"

namespace console {

// A write a command made: how, and the line it replaced (none for a tool that
// was off).
struct Change {
    const char* how; // "quoted", "default", "set", "off"
    std::optional<std::string> was;
};

struct ToolReport {
    int tool = 0;
    bool on = false;
    std::string line;     // as stored
    std::string type;     // the stored value's registry type; empty when it has none
    std::string expanded; // as the shell reads it
    std::vector<const Finding*> findings;
    std::optional<Change> change;
    std::string replaceableBy; // who can change what, when replaceable
    // Why the key could not be read, when it could not: it is then not judged.
    std::optional<rules::Unreadable> failure;
    std::optional<rules::Row> expected;
};

// What the registry refused, and where: tool -1 when it was no one tool's.
struct Refusal {
    int tool = -1;
    std::int32_t number = 0;
    std::string text;
};

struct Report {
    const char* command = "check";
    bool stock = false;
    // Which quillmerec, where and when: a fleet's reports are read side by side.
    const char* version = "";
    std::string computer;
    std::string time; // UTC, ISO 8601
    std::vector<ToolReport> tools;
    std::optional<Refusal> refusal;
};

// The registry's name for a value type code, as regedit shows it.
std::string RegistryTypeName(std::int32_t code);

// "No findings." or "2 findings: Disk Cleanup: Program not found; ...".
std::string Verdict(const Report& report);
// The line fleet engines keep: what the registry refused first, as "Error N:
// Tool: text", else what was changed and the verdict ("Changed Disk Cleanup
// (default); No findings.").
std::string LastLine(const Report& report);
// The lines for standard output, LastLine last; nothing when no tool could be
// read.
std::string ReportText(const Report& report);
std::string ReportJson(const Report& report);
// The lines for standard error, one for each refusal and each key that could
// not be read; else "".
std::string RefusalText(const Report& report);
ExitCode ExitCodeOf(const Report& report);

} // namespace console
