#include "rules/CommandLine.h"

#include <optional>

namespace rules {

namespace {

constexpr std::string_view Blanks = " \t";

// The longest command line CreateProcess takes, without its terminator. A
// longer line starts nothing; cut at each of its blanks, it could keep the
// window probing for minutes.
constexpr std::size_t LongestCommandLine = 32766;

enum class Lookup { Found, Missing, NotProbed };

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

// "%c" stands for the drive whose property sheet starts the tool. The program
// must start from any drive's sheet, so the drive that holds Windows stands in.
std::string ReplaceDriveReferences(std::string text, char driveLetter) {
    for (std::size_t at = text.find("%c"); at != std::string::npos; at = text.find("%c", at + 1))
        text.replace(at, 2, 1, driveLetter);
    return text;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Spelled out rather than isalpha, which depends on the locale and is
// undefined for the negative chars of UTF-8 text.
bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// CreateProcess starts "tool" as "tool.exe", but leaves "snap.msc" alone; a
// dot in a folder's name is no extension.
std::string WithDefaultExtension(std::string_view name) {
    std::string file(name);
    const std::size_t lastSeparator = name.find_last_of("\\/");
    const std::size_t lastPart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    if (name.find('.', lastPart) == std::string_view::npos)
        file += ".exe";
    return file;
}

bool IsShare(std::string_view path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

// A share or a drive that is not a local disk may take seconds to answer, or
// never: the window must not wait for it, so such a file is never looked at.
Lookup LookAt(const std::string& file, ProgramFacts& facts, std::string& found) {
    if (IsShare(file) || !HasDrive(file) ||
        !facts.IsLocalFixedDrive(std::string{file[0], ':', '\\'}))
        return Lookup::NotProbed;
    if (!facts.FileExists(file))
        return Lookup::Missing;
    found = file;
    return Lookup::Found;
}

// A name with a drive, or a share, is where it says; a name rooted without a
// drive is on the Windows drive; any other name is looked for in the search
// folders, as the shell's start of a program looks for it. The file found is
// left in `found`.
Lookup LookUp(std::string_view name, ProgramFacts& facts,
              std::optional<std::vector<std::string>>& searchFolders, std::string& found) {
    if (name.empty())
        return Lookup::Missing;
    const std::string file = WithDefaultExtension(name);
    if (IsShare(file) || HasDrive(file))
        return LookAt(file, facts, found);
    if (IsSeparator(file[0]))
        return LookAt(std::string{facts.WindowsDriveLetter(), ':'} + file, facts, found);
    // Asked of the machine once per line, and only when a name needs them.
    if (!searchFolders)
        searchFolders = facts.SearchFolders();
    bool unknown = false;
    for (std::string folder : *searchFolders) {
        if (folder.empty())
            continue;
        if (!IsSeparator(folder.back()))
            folder += '\\';
        const Lookup lookup = LookAt(folder + file, facts, found);
        if (lookup == Lookup::Found)
            return lookup;
        unknown = unknown || lookup == Lookup::NotProbed;
    }
    return unknown ? Lookup::NotProbed : Lookup::Missing;
}

ProgramStatus StatusOf(Lookup lookup, ProgramStatus whenFound) {
    switch (lookup) {
    case Lookup::Found:
        return whenFound;
    case Lookup::Missing:
        return ProgramStatus::NotFound;
    case Lookup::NotProbed:
        break;
    }
    return ProgramStatus::NotProbed;
}

ProgramCheck CheckOf(Lookup lookup, ProgramStatus whenFound, const std::string& program,
                     ProgramFacts& facts) {
    ProgramCheck check{StatusOf(lookup, whenFound), {}};
    if (check.status == ProgramStatus::Fine) {
        check.replaceableBy = facts.WhoCanReplace(program);
        if (!check.replaceableBy.empty())
            check.status = ProgramStatus::Replaceable;
    }
    return check;
}

} // namespace

ProgramCheck CheckCommandLine(std::string_view commandLine, ProgramFacts& facts) {
    const std::string expanded =
        ReplaceDriveReferences(facts.ExpandEnvironment(commandLine), facts.WindowsDriveLetter());
    const std::string_view line = TrimBlanks(expanded);
    if (line.empty())
        return {ProgramStatus::NotProbed, {}};
    if (line.size() > LongestCommandLine)
        return {ProgramStatus::NotFound, {}};
    std::optional<std::vector<std::string>> searchFolders;
    std::string program;

    // Without its closing quote, the program's name runs to the end of the
    // line, as CreateProcess reads it.
    if (line.front() == '"') {
        const std::string_view quoted = line.substr(1);
        return CheckOf(LookUp(quoted.substr(0, quoted.find('"')), facts, searchFolders, program),
                       ProgramStatus::Fine, program, facts);
    }

    // A run of Blanks makes one cut, not one per blank: no one names a
    // program with Blanks at its end.
    const std::size_t firstBlank = line.find_first_of(Blanks);
    for (std::size_t end = firstBlank;;
         end = line.find_first_of(Blanks, line.find_first_not_of(Blanks, end))) {
        const Lookup lookup = LookUp(line.substr(0, end), facts, searchFolders, program);
        if (lookup != Lookup::Missing || end == std::string_view::npos)
            return CheckOf(lookup,
                           end == firstBlank ? ProgramStatus::Fine : ProgramStatus::NeedsQuotes,
                           program, facts);
    }
}

std::string QuotedIfSpaced(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

} // namespace rules
