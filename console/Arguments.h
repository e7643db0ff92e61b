// quillmerec's command line turned into one command, by rules that make no
// system call: what to do, to which tool, and how to report it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "rules/ToolRules.h"

namespace console {

enum class Action { Check, Repair, Set, Off, Default, Usage, Version };

// The tools as the command line and the JSON report name them, in row order.
inline constexpr std::array<const char*, rules::ToolCount> ToolIds{"backup", "cleanup", "defrag"};

struct Command {
    Action action = Action::Check;
    int tool = -1; // -1: every tool
    std::string line;
    bool stock = false;
    bool json = false;
    // The organisation's own line or switch, per tool, from /expect.
    std::array<std::optional<rules::Row>, rules::ToolCount> expected;
};

struct Parsed {
    Command command;
    // Why the command line was not understood; empty when it was.
    std::string error;
};

// The arguments after the program's name. Switches start with "/" or "-" and
// are matched in any case, as are commands and tools; set's LINE is taken as
// it stands, whatever it starts with, but for "/?": "/?" anywhere asks for the
// usage text, and "/version" for the version.
Parsed ParseArguments(const std::vector<std::string>& arguments);

// The command's name as the command line spells it ("check" for Usage).
const char* CommandWord(Action action);

// The commands, the tools' names, the switches and the exit codes.
std::string UsageText();

} // namespace console
