// The rules for the three tool keys that every front end follows, the window
// and the console program alike: what a row is, how it is read from its key
// and judged, and how it is written back. No window code: what the rules need
// of the user (an answer, a message) the front end gives or shows.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "registry/Registry.h"
#include "rules/CommandLine.h"
#include "rules/Tools.h"

namespace rules {

// A row as the user sees it: its tool switched off (its key absent) or on with
// a command line.
struct Row {
    bool off = true;
    std::string line;
    bool operator==(const Row&) const = default;
};

// Why a key that is there gives no row: the registry refused to open it (its
// access list), or the system cannot expand its value. As the registry or
// the value rules number and describe it; a refusal's text is the system's
// own for its number, left to a front end that shows it.
struct Unreadable {
    std::int32_t number = 0;
    std::string text;
    bool operator==(const Unreadable&) const = default;
};

// A tool's key as one read found it: the row it gives, and the key as stored
// (existence, type, raw bytes), which a later read is compared with to tell a
// change made elsewhere.
struct ReadRow {
    Row row;
    StoredValue stored;
    // Set when the key gives no row; the row is then switched on with no line.
    std::optional<Unreadable> unreadable;
    // The line holds characters the ANSI code page could not: it reads as
    // another line than the key holds, which must never be judged or written
    // back as if it were the key's.
    bool lostInCodePage = false;
};

using Rows = std::array<Row, ToolCount>;
using RowFlags = std::array<bool, ToolCount>;

// The tool's key as stored now. Sets the registry's KeyName to the key.
StoredValue ReadStored(Registry& registry, int tool);

// The row a key's stored state gives, by the value getter's rules and with no
// second read: a key that is not there is switched off, a value that cannot
// be read is an empty line, any other value is its text (a REG_EXPAND_SZ
// expanded); ValueType becomes the type, as after ValueData. A key may hold
// anything another program wrote: one the registry refuses to open, or whose
// references the system cannot expand, gives an unreadable row instead of
// raising. Asks the registry again only where the first read cannot tell:
// whether a key that did not open is there (one call for a switched-off row),
// and, where the program does not run in UTF-8, whether the text survived the
// ANSI code page (one call for a row with a line).
ReadRow RowFound(Registry& registry, int tool, StoredValue stored);

// Reads the tool's key once into its row, as RowFound.
inline ReadRow ReadTool(Registry& registry, int tool) {
    return RowFound(registry, tool, ReadStored(registry, tool));
}

// The user has changed the row since its last read.
inline bool Edited(const Row& row, const ReadRow& read) {
    return row != read.row;
}

// An enabled row without a command line: blanks (spaces or tabs) alone count
// as none, and the shell's button would start nothing.
bool WithoutCommandLine(const Row& row);

// The first enabled row without a command line, whose message stops a save;
// -1 when every enabled row has one.
int FirstWithoutCommandLine(const Rows& rows);

// What keeps the shell from using a key as it stands, before its program is
// looked at: no line, a reference in a REG_SZ, which the shell does not
// expand, or a line the code page changed. `row` is the row as it will be
// written: the key's own faults count only while it is as read.
enum class KeyStatus { Usable, NoLine, Unexpanded, LostInCodePage };
KeyStatus KeyStatusOf(const Row& row, const ReadRow& read);

// Which of the rows marked in `rows` were changed elsewhere: their keys hold
// something else now than `expected`, and `now` what they hold.
using StoredValues = std::array<StoredValue, ToolCount>;
RowFlags ChangedElsewhere(Registry& registry, const RowFlags& rows, const StoredValues& expected,
                          StoredValues& now);

// "Disk Cleanup was changed by another program ...": the question put before
// the rows' lines replace what other programs wrote into their keys.
std::string ChangedElsewhereQuestion(const RowFlags& rows);

// Writes one row into its tool's key: a switched-off row's key is deleted
// with everything below it; an enabled row's line is stored as REG_EXPAND_SZ
// when `expand` holds, REG_SZ otherwise, by ValueData and once more by the
// shell object's RegWrite (SetDefault). False when the registry silently
// refused the deletion and the tool is still on. A key that cannot be written
// raises.
bool WriteRow(Registry& registry, int tool, const Row& row, bool expand);

// The shell expands environment references only in REG_EXPAND_SZ values and
// takes a REG_SZ as it stands: a line with a reference needs REG_EXPAND_SZ.
bool NeedsExpandString(const Row& row);

// The first of the tool's lines for this Windows (on Windows Server its own,
// then the stock line, then the line of the program that replaced it) that
// the row would say nothing about; null when none of them would start.
const char* StartingDefaultLine(int tool);

// "Default" in the window: StartingDefaultLine, or else the stock line.
inline const char* DefaultCommandLine(int tool) {
    const char* line = StartingDefaultLine(tool);
    return line ? line : Tools[tool].defaultCommandLine;
}

// What a row says about its program, with who can replace it: nothing for a
// switched-off row.
ProgramCheck StatusOf(const Row& row);

// The stored line with its program in double quotes and its arguments kept;
// nothing when no cut of it names a program that exists. The rules cut the
// expanded line at its blanks, but an environment reference such as
// %ProgramFiles% may hold blanks of its own, and the line keeps its
// references: so each cut of the stored line, shortest first, is quoted and
// asked of the rules until they find the program. In an object of its own:
// only a repair needs it.
std::optional<std::string> QuotedProgram(const std::string& stored);

} // namespace rules
