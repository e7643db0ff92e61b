#include "rules/CommandLine.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace rules {

namespace {

constexpr std::string_view Blanks = " \t";

// The longest command line CreateProcess takes, without its terminator. A
// longer line starts nothing; cut at each of its blanks, it could keep the
// window probing for minutes.
constexpr std::size_t LongestCommandLine = 32766;

enum class Lookup { Found, Missing, NotProbed, CannotCheck };

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

// The length of the root of a path from a drive's root ("C:\") or on a share
// ("\\server\share\"); 0 for any other, "C:tool.exe" included (it lies in
// whatever folder was last current on C:).
std::size_t RootLength(std::string_view path) {
    if (HasDrive(path))
        return path.size() > 2 && IsSeparator(path[2]) ? 3 : 0;
    const std::size_t server = IsShare(path) ? path.find_first_of("\\/", 2) : 0;
    if (server <= 2 || server == std::string_view::npos)
        return 0;
    return std::min(path.find_first_of("\\/", server + 1), path.size() - 1) + 1;
}

// The scripts and libraries a host program runs from a line such as
// "wscript.exe C:\Scripts\b.vbs" or "rundll32.exe C:\Tools\x.dll,Run": what
// runs is theirs to say, so they are judged like the program even when missing.
bool IsScript(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t length = path.size() - dot;
    if (dot == std::string_view::npos || length < 2 || length > 4)
        return false;
    // Letters in lower case (no other character of an extension becomes one),
    // then a dot that ends the extension.
    char extension[6] = {};
    for (std::size_t i = 0; i < length; ++i)
        extension[i] = static_cast<char>(path[dot + i] | 0x20);
    extension[length] = '.';
    return std::string_view(".msc.ps1.vbs.js.cmd.bat.dll.").find(extension) != std::string::npos;
}

// One line's check: the search for its program, then who could take over what
// the shell would start, read along the way from the root. Each file's and
// folder's rights are read once, and the first account found ends the search.
class Check {
public:
    explicit Check(ProgramFacts& facts)
        : facts_(facts), read_(facts.SharedReads() ? *facts.SharedReads() : ownReads_) {}

    // A name with a drive, or a share, is where it says; a name rooted without
    // a drive is on the Windows drive; any other name is looked for in the
    // search folders, as the shell's start of a program looks for it.
    Lookup LookUp(std::string_view name) {
        if (name.empty())
            return Lookup::Missing;
        const std::string file = WithDefaultExtension(name);
        if (IsShare(file) || HasDrive(file))
            return LookAt(file);
        if (IsSeparator(file[0]))
            return LookAt(std::string{facts_.WindowsDriveLetter(), ':'} + file);
        // Asked of the machine once per line, and only when a name needs it.
        if (!searchOrder_)
            searchOrder_ = facts_.SearchOrder();
        Lookup missed = Lookup::Missing;
        for (std::size_t start = 0, end = 0; end < searchOrder_->size(); start = end + 1) {
            end = std::min(searchOrder_->find(';', start), searchOrder_->size());
            std::string folder = searchOrder_->substr(start, end - start);
            if (folder.empty())
                continue;
            if (!IsSeparator(folder.back()))
                folder += '\\';
            const Lookup lookup = LookAt(folder + file);
            if (lookup == Lookup::Found)
                return lookup;
            // A folder that may hold the name leaves it unknown; one that could
            // not be asked, unsettled.
            if (lookup != Lookup::Missing && missed != Lookup::CannotCheck)
                missed = lookup;
        }
        return missed;
    }

    // The file at `path`: who can change it, add files to its folder, or
    // rename or replace any folder on its way; when it or a folder is missing,
    // who can make it. A link is judged as itself, then what it leads to along
    // that one's own way.
    void Judge(const std::string& path, int links = 0) {
        // A link may lead where the window must not wait, or round in a circle.
        if (!MayProbe(path) || links > 8) {
            unsure = true;
            return;
        }
        const std::size_t root = RootLength(path);
        std::size_t parent = None;
        for (std::size_t end = root; who.empty();) {
            const bool last = end >= path.size();
            const std::string here = path.substr(0, end);
            const std::size_t at = Read(here);
            const ObjectRights& object = read_[at].second;
            if (object.presence == Presence::Missing) {
                Ask(parent, last ? Rights::AddFile : Rights::AddFolder, "add", path);
                return;
            }
            const bool readable = object.presence == Presence::Present;
            const bool link = !object.linkTarget.empty();
            unsure = unsure || !readable;
            if (readable) {
                // A folder renamed away is made anew with whatever is wanted
                // in it. Deleting the file replaces nothing unless its folder
                // also takes a new one, which is asked of the folder; a root
                // cannot be renamed, only its rights changed.
                Ask(parent, last ? Rights::AddFile : Rights::DeleteChild,
                    last ? "add files to" : "rename",
                    last && parent != None ? read_[parent].first : here);
                Ask(at,
                    (last ? Rights::AddFile | Rights::AddFolder
                          : (end == root ? 0 : Rights::Delete) | (link ? Rights::AddFile : 0)) |
                        Rights::WriteDac | Rights::WriteOwner,
                    last || link || end == root ? "change" : "rename", here);
                if (link) {
                    Judge(object.linkTarget + path.substr(end), links + 1);
                    return;
                }
            }
            if (last)
                return;
            parent = readable ? at : None;
            // Doubled separators name no folder of their own.
            end = std::min(path.find_first_of("\\/", path.find_first_not_of("\\/", end)),
                           path.size());
        }
    }

    // Each argument that names a file from a root: quotes removed, and a
    // script or library cut at its comma (rundll32's "x.dll,Entry").
    void JudgeArguments(std::string_view arguments) {
        for (std::size_t at = arguments.find_first_not_of(Blanks); at != std::string_view::npos;
             at = arguments.find_first_not_of(Blanks, at)) {
            const bool quoted = arguments[at] == '"';
            const std::size_t end =
                quoted ? arguments.find('"', at + 1) : arguments.find_first_of(Blanks, at);
            std::string_view argument = arguments.substr(at + quoted, end - at - quoted);
            at = std::min(end, arguments.size() - 1) + 1;
            if (const std::string_view named = argument.substr(0, argument.find(','));
                IsScript(named))
                argument = named;
            const std::string file(argument);
            if (!MayProbe(file))
                continue;
            const Presence presence = facts_.FindFile(file);
            unsure = unsure || presence == Presence::CannotCheck;
            if (presence == Presence::Present || IsScript(file))
                Judge(file);
        }
    }

    std::string found;
    std::string who;
    bool unsure = false;

private:
    static constexpr std::size_t None = std::string::npos;

    bool MayProbe(std::string_view path) {
        const std::size_t root = RootLength(path);
        return root != 0 && facts_.MayProbe(path.substr(0, root));
    }

    // A share or a drive that is not a local disk may take seconds to answer,
    // or never: the window must not wait for it, so such a file is never
    // looked at. A file the shell looks for in vain is a place where whoever
    // may put one there decides what starts.
    Lookup LookAt(const std::string& file) {
        if (!MayProbe(file))
            return Lookup::NotProbed;
        switch (facts_.FindFile(file)) {
        case Presence::Present:
            found = file;
            return Lookup::Found;
        case Presence::Missing:
            Judge(file);
            return Lookup::Missing;
        case Presence::CannotCheck:
            break;
        }
        return Lookup::CannotCheck;
    }

    std::size_t Read(const std::string& path) {
        for (std::size_t i = 0; i < read_.size(); ++i)
            if (read_[i].first == path)
                return i;
        read_.emplace_back(path, facts_.RightsOf(path));
        return read_.size() - 1;
    }

    void Ask(std::size_t at, std::uint32_t rights, const char* verb, std::string_view what) {
        if (at == None || !who.empty())
            return;
        for (const Grant& grant : read_[at].second.grants) {
            if (grant.rights & rights) {
                who = facts_.NameOf(grant.account);
                who += " can ";
                who += verb;
                who += ' ';
                who += what;
                return;
            }
        }
    }

    ProgramFacts& facts_;
    std::optional<std::string> searchOrder_;
    ReadRights ownReads_;
    ReadRights& read_;
};

ProgramStatus StatusOf(Lookup lookup, ProgramStatus whenFound) {
    switch (lookup) {
    case Lookup::Found:
        return whenFound;
    case Lookup::Missing:
        return ProgramStatus::NotFound;
    case Lookup::CannotCheck:
        return ProgramStatus::CannotCheck;
    case Lookup::NotProbed:
        break;
    }
    return ProgramStatus::NotProbed;
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
    Check check(facts);
    Lookup lookup = Lookup::Missing;
    ProgramStatus whenFound = ProgramStatus::Fine;
    std::string_view arguments;

    // Without its closing quote, the program's name runs to the end of the
    // line, as CreateProcess reads it.
    if (line.front() == '"') {
        const std::string_view quoted = line.substr(1);
        const std::size_t close = std::min(quoted.find('"'), quoted.size());
        lookup = check.LookUp(quoted.substr(0, close));
        arguments = quoted.substr(std::min(close + 1, quoted.size()));
    } else {
        // A run of Blanks makes one cut, not one per blank: no one names a
        // program with Blanks at its end.
        const std::size_t firstBlank = line.find_first_of(Blanks);
        for (std::size_t end = firstBlank;;
             end = line.find_first_of(Blanks, line.find_first_not_of(Blanks, end))) {
            lookup = check.LookUp(line.substr(0, end));
            if (lookup != Lookup::Missing || end == std::string_view::npos) {
                whenFound = end == firstBlank ? ProgramStatus::Fine : ProgramStatus::NeedsQuotes;
                arguments = line.substr(std::min(end, line.size()));
                break;
            }
        }
    }

    ProgramCheck result{StatusOf(lookup, whenFound), {}};
    if (lookup == Lookup::Found) {
        check.Judge(check.found);
        check.JudgeArguments(arguments);
    }
    // A missing program or a path that needs quotes keeps its status, the more
    // urgent; who could take the row over goes with it.
    if (result.status == ProgramStatus::Fine && !check.who.empty())
        result.status = ProgramStatus::Replaceable;
    else if (result.status == ProgramStatus::Fine && check.unsure)
        result.status = ProgramStatus::CannotCheck;
    if (result.status != ProgramStatus::NotProbed && result.status != ProgramStatus::CannotCheck)
        result.replaceableBy = std::move(check.who);
    return result;
}

std::string QuotedIfSpaced(const std::string& path) {
    std::string quoted(path);
    if (quoted.find(' ') != std::string::npos) {
        quoted.insert(0, 1, '"');
        quoted += '"';
    }
    return quoted;
}

} // namespace rules
