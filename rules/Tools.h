// The three drive-maintenance tools the shell offers on a drive's property
// sheet, in row order: the name messages call each one by, the key its
// command line lives in (below HKEY_LOCAL_MACHINE), its stock command line and
// the line of the program that took its place on later Windows, what a save
// says when an enabled row has none, and what it says when the registry
// refuses to delete a switched-off row's key. Row i is index i of every
// control group of Main.
#pragma once

#include <array>

namespace rules {

struct Tool {
    const char* name;
    const char* keyPath;
    const char* defaultCommandLine;
    // Null where the stock line still works on every Windows the program runs
    // on (disk cleanup's).
    const char* successorCommandLine;
    // The line Windows Server sets, where it differs: its backup is the
    // Windows Server Backup snap-in.
    const char* serverCommandLine;
    const char* missingMessage;
    const char* keptMessage;
};

// The stock command lines are written exactly as they stand, "%c" and the
// differently spelt "%systemroot%" included: the shell expands and formats
// them, never Quillmere.
inline constexpr std::array<Tool, 3> Tools{{
    {"Backup Utility",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\BackupPath",
     "%SystemRoot%\\system32\\ntbackup.exe", "%SystemRoot%\\system32\\sdclt.exe",
     "%SystemRoot%\\system32\\wbadmin.msc", "No Backup Path Selected",
     "Backup Utility could not be switched off"},
    {"Disk Cleanup",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\CleanupPath",
     "%SystemRoot%\\system32\\cleanmgr.exe /D %c", nullptr, nullptr, "No Cleanup Path Selected",
     "Disk Cleanup could not be switched off"},
    {"Defragmenter",
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\DefragPath",
     "%systemroot%\\system32\\dfrg.msc %c:", "%systemroot%\\system32\\dfrgui.exe", nullptr,
     "No Defragment Path Selected", "Defragmenter could not be switched off"},
}};

inline constexpr int ToolCount = static_cast<int>(Tools.size());

// What a row says about its program or its key, and the shorter form for a
// system font too wide for the space a window gives it.
struct StatusText {
    const char* full;
    const char* shortened;
};

inline constexpr StatusText NotFoundText{"Program not found", "Not found"};
inline constexpr StatusText NeedsQuotesText{"Path needs quotes", "Needs quotes"};
// A program that an account other than the system's own can change, or whose
// folder it can: the shell would start what that account put there with the
// rights of the administrator who clicked. Who can change what is the status's
// description.
inline constexpr StatusText ReplaceableText{"Program replaceable", "Replaceable"};
// A program whose presence or rights the system would not tell (access
// denied, a device not ready, a share that did not answer): neither "fine"
// nor a finding a repair may act on.
inline constexpr StatusText CannotCheckText{"Program cannot be checked", "Cannot check"};
// A row that keeps the user's edit while another program changed its key.
inline constexpr StatusText ChangedElsewhereText{"Changed elsewhere", "Key changed"};
// A row whose key another program filled with what the value rules cannot
// turn into a line (an expansion the system refuses): the row keeps what it
// showed, and a save leaves the key alone unless the row is edited.
inline constexpr StatusText UnreadableText{"Key cannot be read", "Unreadable"};
// An enabled key without a line (blanks alone, or no unnamed value): the
// shell's button starts nothing.
inline constexpr StatusText NoLineText{"No command line", "No line"};
// A REG_SZ line with an environment reference: the shell takes it as it
// stands, and no program is called "%SystemRoot%\...".
inline constexpr StatusText UnexpandedText{"Reference not expanded", "Not expanded"};
// A line with characters the ANSI code page cannot hold, on a Windows that
// does not run the program in UTF-8: read, it is another line than stored.
inline constexpr StatusText CodePageText{"Not in this code page", "Code page"};

} // namespace rules
