// The codes quillmerec ends with, for the scripts and fleet engines that act
// on them (a detection script's "found" is any code but 0). One table, printed
// by the usage text: codes are added at its end, never renumbered.
#pragma once

#include <array>

namespace console {

enum ExitCode : int {
    NothingFound = 0,
    Found = 1,
    BadCommandLine = 2,
    RegistryRefused = 3,
    // What no command can answer for: memory ran out, or an error of the
    // program's own.
    Failed = 4,
};

struct ExitCodeMeaning {
    ExitCode code;
    const char* meaning;
};

inline constexpr std::array<ExitCodeMeaning, 5> ExitCodes{{
    {NothingFound, "nothing was found (after a change: nothing is left to find)"},
    {Found, "something was found"},
    {BadCommandLine, "the command line was not understood; nothing was read or written"},
    {RegistryRefused, "the registry refused a read or a write (writing needs an administrator)"},
    {Failed, "the program failed for another reason (out of memory)"},
}};

} // namespace console
