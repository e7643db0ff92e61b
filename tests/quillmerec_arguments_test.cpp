// quillmerec's command line, a row per argument list: the command it gives,
// or its refusal (exit code 2, before anything is read); and the exit codes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "console/Arguments.h"
#include "console/Report.h"

using namespace console;

namespace {

struct Case {
    std::vector<std::string> arguments;
    bool understood;
    Action action;
    int tool;
    std::string line;
    bool stock, json;
    std::string expected = ""; // "cleanup=off;defrag=LINE;"
};

const Case Cases[] = {
    {{}, true, Action::Check, -1, "", false, false},
    {{"check", "/stock", "/json"}, true, Action::Check, -1, "", true, true},
    {{"-JSON", "Repair", "-Stock"}, true, Action::Repair, -1, "", true, true},
    {{"SET", "Backup", "-x C:\\b.exe"}, true, Action::Set, 0, "-x C:\\b.exe", false, false},
    {{"set", "defrag", "\"C:\\a b\\d.exe\" /x", "/json"},
     true,
     Action::Set,
     2,
     "\"C:\\a b\\d.exe\" /x",
     false,
     true},
    {{"off", "cleanup"}, true, Action::Off, 1, "", false, false},
    {{"default"}, true, Action::Default, -1, "", false, false},
    {{"default", "DEFRAG"}, true, Action::Default, 2, "", false, false},
    {{"/?"}, true, Action::Usage, -1, "", false, false},
    {{"bogus", "--help"}, true, Action::Usage, -1, "", false, false},
    {{"set", "backup", "/?"}, true, Action::Usage, -1, "", false, false},
    {{"check", "-Version"}, true, Action::Version, -1, "", false, false},
    {{"bogus"}, false, Action::Check, -1, "", false, false},
    {{"/force"}, false, Action::Check, -1, "", false, false},
    {{"/"}, false, Action::Check, -1, "", false, false},
    {{"check", "backup"}, false, Action::Check, -1, "", false, false},
    {{"set", "backup"}, false, Action::Set, -1, "", false, false},
    {{"set", "backup", "   "}, false, Action::Set, -1, "", false, false},
    {{"set", "printer", "p.exe"}, false, Action::Set, -1, "", false, false},
    {{"off"}, false, Action::Off, -1, "", false, false},
    {{"default", "backup", "cleanup"}, false, Action::Default, -1, "", false, false},
    {{"/expect", "cleanup=OFF"}, true, Action::Check, -1, "", false, false, "cleanup=off;"},
    {{"-EXPECT", "Backup=-x=b"}, true, Action::Check, -1, "", false, false, "backup=-x=b;"},
    {{"check", "/expect"}, false, Action::Check, -1, "", false, false},
    {{"/expect", "cleanup"}, false, Action::Check, -1, "", false, false},
    {{"/expect", "printer=p.exe"}, false, Action::Check, -1, "", false, false},
    {{"/expect", "cleanup= "}, false, Action::Check, -1, "", false, false},
    {{"/expect", "defrag=off", "/expect", "DEFRAG=d"}, false, Action::Check, -1, "", false, false},
};

void PrintTo(const Case& row, std::ostream* out) {
    for (const std::string& argument : row.arguments)
        *out << '[' << argument << ']';
}

std::string Expectations(const Command& command) {
    std::string text;
    for (int tool = 0; tool < rules::ToolCount; ++tool)
        if (const std::optional<rules::Row>& row = command.expected[tool])
            text += ToolIds[tool] + ("=" + (row->off ? "off" : row->line) + ";");
    return text;
}

class CommandLine : public testing::TestWithParam<Case> {};

} // namespace

TEST_P(CommandLine, GivesItsCommandOrIsRefused) {
    const Case& expected = GetParam();
    const Parsed parsed = ParseArguments(expected.arguments);
    EXPECT_EQ(expected.understood, parsed.error.empty()) << parsed.error;
    if (!expected.understood)
        return;
    EXPECT_EQ(expected.action, parsed.command.action);
    EXPECT_EQ(expected.tool, parsed.command.tool);
    EXPECT_EQ(expected.line, parsed.command.line);
    EXPECT_EQ(expected.stock, parsed.command.stock);
    EXPECT_EQ(expected.json, parsed.command.json);
    EXPECT_EQ(expected.expected, Expectations(parsed.command));
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLine, testing::ValuesIn(Cases));

TEST(ExitCodes, AreNumberedInTableOrderAndPrintedByTheUsage) {
    for (std::size_t i = 0; i < ExitCodes.size(); ++i) {
        EXPECT_EQ(static_cast<int>(i), ExitCodes[i].code);
        EXPECT_NE(std::string::npos,
                  UsageText().find("  " + std::to_string(i) + "  " + ExitCodes[i].meaning));
    }
}

TEST(ExitCodes, FollowTheReport) {
    Report report;
    report.tools.resize(3);
    report.tools[2].tool = 2;
    EXPECT_EQ(NothingFound, ExitCodeOf(report));
    report.tools[2].findings.push_back(&NotStock);
    EXPECT_EQ(Found, ExitCodeOf(report));
    report.refusal = Refusal{2, 26001, "refused"};
    EXPECT_EQ(RegistryRefused, ExitCodeOf(report));
}
