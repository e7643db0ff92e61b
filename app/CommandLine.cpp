#include "app/CommandLine.h"

namespace app {

namespace {

constexpr std::string_view blanks = " \t";

enum class Lookup { Found, Missing, NotProbed };

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// "%c" stands for the drive whose property sheet starts the tool. The program
// must start from any drive's sheet, so the drive that holds Windows stands in.
std::string replaceDriveReferences(std::string text, char driveLetter) {
    for (std::size_t at = text.find("%c"); at != std::string::npos; at = text.find("%c", at + 1))
        text.replace(at, 2, 1, driveLetter);
    return text;
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Spelled out rather than isalpha, which depends on the locale and is
// undefined for the negative chars of UTF-8 text.
bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// CreateProcess starts "tool" as "tool.exe", but leaves "snap.msc" alone; a
// dot in a folder's name is no extension.
std::string withDefaultExtension(std::string_view name) {
    std::string file(name);
    const std::size_t lastSeparator = name.find_last_of("\\/");
    const std::size_t lastPart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    if (name.find('.', lastPart) == std::string_view::npos)
        file += ".exe";
    return file;
}

// A share or a drive that is not a local disk may take seconds to answer, or
// never: the window must not wait for it, so such a name is never looked up.
// A name without a drive goes to the system's search, which finds it as
// CreateProcess would.
Lookup lookUp(std::string_view name, ProgramFacts& facts) {
    if (name.empty())
        return Lookup::Missing;
    if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1]))
        return Lookup::NotProbed;
    const std::string file = withDefaultExtension(name);
    if (name.size() >= 2 && isDriveLetter(name[0]) && name[1] == ':') {
        if (!facts.isLocalFixedDrive(std::string{name[0], ':', '\\'}))
            return Lookup::NotProbed;
        return facts.fileExists(file) ? Lookup::Found : Lookup::Missing;
    }
    return facts.searchFinds(file) ? Lookup::Found : Lookup::Missing;
}

ProgramStatus statusOf(Lookup lookup, ProgramStatus whenFound) {
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

} // namespace

ProgramStatus programStatus(std::string_view commandLine, ProgramFacts& facts) {
    const std::string expanded =
        replaceDriveReferences(facts.expandEnvironment(commandLine), facts.windowsDriveLetter());
    const std::string_view line = trimBlanks(expanded);
    if (line.empty())
        return ProgramStatus::NotProbed;

    // Without its closing quote, the program's name runs to the end of the
    // line, as CreateProcess reads it.
    if (line.front() == '"') {
        const std::string_view quoted = line.substr(1);
        return statusOf(lookUp(quoted.substr(0, quoted.find('"')), facts), ProgramStatus::Fine);
    }

    // A run of blanks makes one cut, not one per blank: no one names a
    // program with blanks at its end.
    const std::size_t firstBlank = line.find_first_of(blanks);
    for (std::size_t end = firstBlank;;
         end = line.find_first_of(blanks, line.find_first_not_of(blanks, end))) {
        const Lookup lookup = lookUp(line.substr(0, end), facts);
        if (lookup != Lookup::Missing || end == std::string_view::npos)
            return statusOf(lookup,
                            end == firstBlank ? ProgramStatus::Fine : ProgramStatus::NeedsQuotes);
    }
}

} // namespace app
