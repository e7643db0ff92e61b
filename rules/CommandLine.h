// Whether a tool's command line can start what it names, decided the way the
// shell finds the program. The rules make no system call: what they need to
// know of the machine they ask of a ProgramFacts, so that they build natively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rules {

// What a row shows: "Program not found", "Path needs quotes", who can replace
// the program, or nothing. NotProbed shows nothing too: the line is blank
// (saving reports that), or the program lies where asking could hang the
// window (a share, a mapped network drive, a removable drive). Replaceable: an
// account other than the system's own and the one checking can change the
// program or its folder, and the shell would start what it put there with the
// rights of the administrator who clicked.
enum class ProgramStatus { Fine, NotFound, NeedsQuotes, NotProbed, Replaceable };

struct ProgramCheck {
    ProgramStatus status;
    // When Replaceable, who can change what, as a sentence; otherwise empty.
    std::string replaceableBy;
};

// The machine's answers. FileExists and WhoCanReplace are asked only about
// paths on a drive that IsLocalFixedDrive accepted.
class ProgramFacts {
public:
    virtual ~ProgramFacts() = default;
    // The text with its %name% references expanded; names match in any case.
    virtual std::string ExpandEnvironment(std::string_view text) = 0;
    virtual char WindowsDriveLetter() = 0;
    // `root` is a drive's root, such as "C:\\".
    virtual bool IsLocalFixedDrive(std::string_view root) = 0;
    // A file of any type counts; a folder does not.
    virtual bool FileExists(std::string_view path) = 0;
    // The folders, in order, in which the shell's start of a program looks for
    // a name without a drive: the Windows folder (the shell's own), the system
    // folder, then the PATH.
    virtual std::vector<std::string> SearchFolders() = 0;
    // Who, other than the trusted accounts, can change the program at `path` or
    // its folder, as a sentence; empty when no one can.
    virtual std::string WhoCanReplace(std::string_view path) = 0;
};

// The line is read as the shell reads it: references expanded, "%c" replaced
// by the Windows drive's letter, surrounding blanks skipped. A quoted program
// must exist as quoted. An unquoted one is looked for up to each blank in turn,
// then as the whole line; one found past the first blank needs quotes.
// A name without a drive is looked for in each search folder in turn; when it
// is in none of the local ones and a folder was a share or a network or
// removable drive, it may be there, and the row says nothing. Only a program
// found and quoted right is asked who can replace it: the row shows one
// status, and a wrong path is the more urgent.
ProgramCheck CheckCommandLine(std::string_view commandLine, ProgramFacts& facts);

// A program's path as a command line: in double quotes when it holds a
// space, since the shell reads an unquoted path up to its first space and
// would try "C:\\Program.exe" first.
std::string QuotedIfSpaced(const std::string& path);

} // namespace rules
