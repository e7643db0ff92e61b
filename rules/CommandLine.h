// Whether a tool's command line can start what it names, decided the way the
// shell finds the program. The rules make no system call: what they need to
// know of the machine they ask of a ProgramFacts, so that they build natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rules {

// What a row shows: "Program not found", "Path needs quotes", who can replace
// the program, that it cannot be checked, or nothing. NotProbed shows nothing
// too: the line is blank (saving reports that), or the program lies where
// asking could hang the window (a share, a mapped network drive, a removable
// drive). Replaceable: an account the rules do not trust can put another
// program in the place of what the line starts, and the shell would start it
// with the rights of the administrator who clicked. CannotCheck: the system
// gave no answer that settles it (access denied, a device not ready, a
// descriptor that cannot be read, a share that did not answer in time); never
// taken as "no one".
enum class ProgramStatus { Fine, NotFound, NeedsQuotes, NotProbed, Replaceable, CannotCheck };

struct ProgramCheck {
    ProgramStatus status;
    // Who can put another program in its place, and how, as a sentence
    // ("Users can add C:\Program.exe"): for Replaceable, and beside NotFound
    // and NeedsQuotes, whose rows can be taken over too; otherwise empty.
    std::string replaceableBy;
};

// Rights on a file or folder as the system's access masks spell them: a
// folder's "add a file" is a file's "write", its "add a subfolder" a file's
// "append".
namespace Rights {
inline constexpr std::uint32_t AddFile = 0x2;
inline constexpr std::uint32_t AddFolder = 0x4;
inline constexpr std::uint32_t DeleteChild = 0x40;
inline constexpr std::uint32_t Delete = 0x10000;
inline constexpr std::uint32_t WriteDac = 0x40000;
inline constexpr std::uint32_t WriteOwner = 0x80000;
} // namespace Rights

// What one account the rules do not trust may do to a file or folder; an
// account that may rewrite the rights holds all of them.
struct Grant {
    std::string account; // the machine's own form, which only NameOf reads
    std::uint32_t rights;
};

// Only "file not found" and "path not found" make a thing Missing.
enum class Presence { Missing, Present, CannotCheck };

// A file or folder as its own security descriptor has it: for a symbolic link
// or a junction, the link's, not its target's.
struct ObjectRights {
    // CannotCheck also when it is there but its descriptor cannot be read.
    Presence presence = Presence::Missing;
    // Where a link leads, as a path with a drive; empty for anything else.
    std::string linkTarget;
    std::vector<Grant> grants; // in the descriptor's order
};

// Rights already read, by path.
using ReadRights = std::vector<std::pair<std::string, ObjectRights>>;

// The machine's answers. FindFile and RightsOf are asked only about paths
// below a root that MayProbe accepted.
class ProgramFacts {
public:
    virtual ~ProgramFacts() = default;
    // The text with its %name% references expanded; names match in any case.
    virtual std::string ExpandEnvironment(std::string_view text) = 0;
    virtual char WindowsDriveLetter() = 0;
    // `root` is a drive's root ("C:\\") or a share's ("\\\\server\\share\\").
    virtual bool MayProbe(std::string_view root) = 0;
    // Present for a file of any type; a folder is Missing.
    virtual Presence FindFile(std::string_view path) = 0;
    // The folders, in order and separated by semicolons, in which the shell's
    // start of a program looks for a name without a drive: the Windows folder
    // (the shell's own), the system folder, then the PATH's.
    virtual std::string SearchOrder() = 0;
    virtual ObjectRights RightsOf(std::string_view path) = 0;
    // A Grant's account as the sentence names it.
    virtual std::string NameOf(const std::string& account) = 0;
    // Rights that earlier checks read and this one may use and add to; by
    // default each check reads for itself.
    virtual ReadRights* SharedReads() { return nullptr; }
};

// The line is read as the shell reads it: references expanded, "%c" replaced
// by the Windows drive's letter, surrounding blanks skipped. A quoted program
// must exist as quoted. An unquoted one is looked for up to each blank in turn,
// then as the whole line; one found past the first blank needs quotes.
// A name without a drive is looked for in each search folder in turn; when it
// is in none of the local ones and a folder was a share or a network or
// removable drive, it may be there, and the row says nothing.
// Who could take the line over is judged along the whole way from the root:
// first every place looked at before the program (a file put there would start
// instead), then the program, or where it is missing its place, then each file
// the arguments name. Each file's and folder's rights are read once a line.
ProgramCheck CheckCommandLine(std::string_view commandLine, ProgramFacts& facts);

// A program's path as a command line: in double quotes when it holds a
// space, since the shell reads an unquoted path up to its first space and
// would try "C:\\Program.exe" first.
std::string QuotedIfSpaced(const std::string& path);

} // namespace rules
