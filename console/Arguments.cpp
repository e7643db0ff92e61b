#include "console/Arguments.h"

#include <optional>
#include <string_view>
#include <utility>

#include "console/ExitCode.h"
#include "rules/ToolRules.h"

namespace console {

namespace {

struct CommandName {
    const char* name;
    Action action;
    // How many TOOL and LINE operands the command takes.
    std::size_t fewest, most;
};

constexpr std::array<CommandName, 5> Commands{{
    {"check", Action::Check, 0, 0},
    {"repair", Action::Repair, 0, 0},
    {"set", Action::Set, 2, 2},
    {"off", Action::Off, 1, 1},
    {"default", Action::Default, 0, 1},
}};

// ASCII only: the names are ASCII, and a user's UTF-8 must not be folded by a
// locale into something that matches.
bool SameName(std::string_view text, std::string_view name) {
    if (text.size() != name.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c =
            text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != name[i])
            return false;
    }
    return true;
}

bool IsSwitch(std::string_view argument) {
    return argument.size() >= 2 && (argument[0] == '/' || argument[0] == '-');
}

std::optional<Action> CommandNamed(std::string_view word) {
    for (const CommandName& command : Commands)
        if (SameName(word, command.name))
            return command.action;
    return std::nullopt;
}

const CommandName& NameOf(Action action) {
    for (const CommandName& command : Commands)
        if (command.action == action)
            return command;
    return Commands[0];
}

int ToolNamed(std::string_view word) {
    for (int tool = 0; tool < rules::ToolCount; ++tool)
        if (SameName(word, ToolIds[tool]))
            return tool;
    return -1;
}

std::string ToolList() {
    std::string list;
    for (int tool = 0; tool < rules::ToolCount; ++tool)
        list += std::string(tool == 0                      ? ""
                            : tool + 1 == rules::ToolCount ? " or "
                                                           : ", ") +
                ToolIds[tool];
    return list;
}

// /expect's TOOL=LINE or TOOL=off, into the command; why not, else "".
std::string Expect(Command& command, const std::string& argument) {
    const std::size_t equals = argument.find('=');
    const int tool = ToolNamed(std::string_view(argument).substr(0, equals));
    if (equals == std::string::npos || tool < 0)
        return "Not TOOL=LINE or TOOL=off (" + ToolList() + ") after /expect: " + argument;
    if (command.expected[tool])
        return "/expect names " + std::string(ToolIds[tool]) + " twice";
    rules::Rows rows;
    rows[tool] = {false, argument.substr(equals + 1)};
    if (rules::FirstWithoutCommandLine(rows) >= 0)
        return "Missing LINE after /expect " + argument;
    command.expected[tool] = SameName(rows[tool].line, "off") ? rules::Row{} : rows[tool];
    return {};
}

} // namespace

Parsed ParseArguments(const std::vector<std::string>& arguments) {
    Parsed parsed;
    Command& command = parsed.command;
    std::optional<Action> action;
    std::vector<std::string> operands;
    std::optional<Action> instead; // Usage or Version: nothing is read
    bool expectation = false;      // the argument after /expect, taken as it stands
    const auto fail = [&](std::string why) {
        if (parsed.error.empty() && !why.empty())
            parsed.error = std::move(why);
    };

    for (const std::string& argument : arguments) {
        if (std::exchange(expectation, false)) {
            fail(Expect(command, argument));
            continue;
        }
        // No program is called "/?": after set TOOL it still asks for help.
        const bool lineExpected = action == Action::Set && operands.size() == 1 && argument != "/?";
        if (!lineExpected && IsSwitch(argument)) {
            std::string_view name = std::string_view(argument).substr(1);
            if (argument[0] == '-' && name.size() > 1 && name[0] == '-')
                name.remove_prefix(1); // --help
            if (SameName(name, "stock"))
                command.stock = true;
            else if (SameName(name, "json"))
                command.json = true;
            else if (SameName(name, "expect"))
                expectation = true;
            else if (name == "?" || SameName(name, "h") || SameName(name, "help"))
                instead = Action::Usage;
            else if (SameName(name, "version"))
                instead = instead.value_or(Action::Version);
            else
                fail("Unknown switch: " + argument);
        } else if (!action) {
            action = CommandNamed(argument);
            if (!action)
                fail("Unknown command: " + argument);
        } else {
            operands.push_back(argument);
        }
    }

    if (expectation)
        fail("Missing TOOL=LINE after /expect");
    command.action = action.value_or(Action::Check);
    const CommandName& name = NameOf(command.action);
    if (!operands.empty())
        command.tool = ToolNamed(operands[0]);
    if (operands.size() < name.fewest)
        fail(std::string("Missing ") + (operands.empty() ? "TOOL" : "LINE") + " after " +
             name.name);
    else if (operands.size() > name.most)
        fail("Too many arguments after " + std::string(name.name) + ": " + operands[name.most]);
    else if (!operands.empty() && command.tool < 0)
        fail("Unknown tool: " + operands[0] + " (" + ToolList() + ")");
    else if (command.action == Action::Set) {
        command.line = operands[1];
        // The window's own rule for a row without a command line, and its message.
        rules::Rows rows;
        rows[command.tool] = {false, command.line};
        if (rules::FirstWithoutCommandLine(rows) >= 0)
            fail(rules::Tools[command.tool].missingMessage);
    }

    if (instead) {
        parsed = {};
        parsed.command.action = *instead;
    }
    return parsed;
}

const char* CommandWord(Action action) {
    return NameOf(action).name;
}

std::string UsageText() {
    std::string text =
        "quillmerec checks and repairs the programs the Windows shell starts for a\r\n"
        "drive's backup, disk cleanup and defragmentation tools: the keys BackupPath,\r\n"
        "CleanupPath and DefragPath below\r\n"
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer.\r\n"
        "\r\n"
        "  quillmerec [check] [/stock] [/json]  report each tool\r\n"
        "  quillmerec repair [/stock] [/json]   mend each tool with a finding, then\r\n"
        "                                       report\r\n"
        "  quillmerec set TOOL LINE             write one tool's command line\r\n"
        "  quillmerec off TOOL                  switch one tool off (its key deleted)\r\n"
        "  quillmerec default [TOOL]            write this Windows' Default line for one\r\n"
        "                                       or every tool\r\n"
        "  quillmerec /version                  the version\r\n"
        "  quillmerec /?                        this text\r\n"
        "\r\n"
        "TOOL is " +
        ToolList() +
        ".\r\n"
        "LINE is taken as it stands, even when it starts with / or -.\r\n"
        "Switches start with / or - and are matched in any case.\r\n"
        "/stock  a line that is none of the tool's stock lines is a finding too\r\n"
        "/json   the whole report as one JSON object on one line\r\n"
        "/expect TOOL=LINE  the tool's own line (off: switched off), once per tool;\r\n"
        "        that tool then follows it, not /stock\r\n"
        "\r\n"
        "Findings: an enabled key has no line (no-line), a REG_SZ line holds a\r\n"
        "%reference% the shell does not expand (unexpanded), the program is not found\r\n"
        "(not-found), its path needs quotes (needs-quotes), an account other than the\r\n"
        "system's own can put another program in its place (replaceable: it can change\r\n"
        "the program, a folder on its way or a file the line names, or add a file where\r\n"
        "the shell looks first), the system would not tell (cannot-check), with /stock\r\n"
        "the line is not a stock line (not-stock), with /expect the tool is not as\r\n"
        "expected (not-expected). A switched-off tool is never a finding; a key that\r\n"
        "cannot be read, or not in this code page, is reported and left alone. A repair\r\n"
        "stores an unexpanded line as REG_EXPAND_SZ, puts quotes around a path that\r\n"
        "needs them, leaves a row that cannot be checked alone, and writes the Default\r\n"
        "line into a row with any other finding, where that line starts a program here,\r\n"
        "or the expected line (if its program is found) or switch. Nothing that is\r\n"
        "stored already is written. The last line names what was changed and the\r\n"
        "verdict, or starts with Error N: when the registry refused. Writing needs an\r\n"
        "administrator, and each write is reported to the Application event log (source\r\n"
        "Quillmere).\r\n"
        "\r\n"
        "Exit codes:\r\n";
    for (const ExitCodeMeaning& row : ExitCodes)
        text += "  " + std::to_string(row.code) + "  " + row.meaning + "\r\n";
    return text;
}

} // namespace console
