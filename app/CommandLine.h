// Whether a tool's command line can start what it names, decided the way the
// shell finds the program. The rules make no system call: what they need to
// know of the machine they ask of a ProgramFacts, so that they build natively.
#pragma once

#include <string>
#include <string_view>

namespace app {

// What a row shows: "Program not found", "Path needs quotes", or nothing.
// NotProbed shows nothing too: the line is blank (saving reports that), or the
// program lies where asking could hang the window (a share, a mapped network
// drive, a removable drive).
enum class ProgramStatus { Fine, NotFound, NeedsQuotes, NotProbed };

// The machine's answers. fileExists is asked only about paths on a drive that
// isLocalFixedDrive accepted; searchFinds only about names without a drive.
class ProgramFacts {
public:
    virtual ~ProgramFacts() = default;
    // The text with its %name% references expanded; names match in any case.
    virtual std::string expandEnvironment(std::string_view text) = 0;
    virtual char windowsDriveLetter() = 0;
    // `root` is a drive's root, such as "C:\".
    virtual bool isLocalFixedDrive(std::string_view root) = 0;
    // A file of any type counts; a folder does not.
    virtual bool fileExists(std::string_view path) = 0;
    // Whether the system's search for a program finds a file of this name.
    virtual bool searchFinds(std::string_view name) = 0;
};

// The line is read as the shell reads it: references expanded, "%c" replaced
// by the Windows drive's letter, surrounding blanks skipped. A quoted program
// must exist as quoted. An unquoted one is looked for up to each blank in turn,
// then as the whole line; one found past the first blank needs quotes.
ProgramStatus programStatus(std::string_view commandLine, ProgramFacts& facts);

} // namespace app
