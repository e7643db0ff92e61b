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

// A tool's key as one read found it: the row it gives, and the key as stored
// (existence, type, raw bytes), which a later read is compared with to tell a
// change made elsewhere.
struct ReadRow {
    Row row;
    StoredValue stored;
};

using Rows = std::array<Row, ToolCount>;
using RowFlags = std::array<bool, ToolCount>;

// The tool's key as stored now. Sets the registry's KeyName to the key.
StoredValue ReadStored(Registry& registry, int tool);

// The row a key's stored state gives, by the value getter's rules and with no
// second read: a key that cannot be opened for reading is switched off, a
// value that cannot be read is an empty line, any other value is its text (a
// REG_EXPAND_SZ expanded). Sets the registry's ValueType to the type, as
// ValueData does, and raises what ValueData raises for references the system
// cannot expand.
ReadRow RowFrom(Registry& registry, StoredValue stored);

// Reads the tool's key once into its row.
inline ReadRow ReadTool(Registry& registry, int tool) {
    return RowFrom(registry, ReadStored(registry, tool));
}

// The user has changed the row since its last read.
inline bool Edited(const Row& row, const ReadRow& read) {
    return row != read.row;
}

// The first enabled row without a command line (blanks alone count as none),
// whose message stops a save; -1 when every enabled row has one.
int FirstWithoutCommandLine(const Rows& rows);

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

// The stock line where this Windows still has its program, or else the line of
// the program that replaced it, either only where the row would say nothing
// about it; with neither, the stock line.
const char* DefaultCommandLine(int tool);

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
