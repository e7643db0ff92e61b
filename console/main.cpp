// quillmerec: the console front end of Quillmere. The arguments become one
// command, the command a report, the report text on standard output and the
// exit code fleet engines act on.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "console/Arguments.h"
#include "console/Commands.h"
#include "console/ExitCode.h"
#include "console/Report.h"
#include "console/Text.h"
#include "res/version.h"
#include "rules/ProgramProbe.h"

using namespace console;

namespace {

// Long enough for a share that answers slowly, short enough for a fleet
// engine's script timeout over three tools.
constexpr DWORD CheckWait = 20000;

// UTF-8 to whatever the handle was started with. A console is given UTF-16,
// which it shows whatever its own code page; a pipe or a file gets the bytes.
void Write(DWORD which, const std::string& utf8) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty())
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Widened(utf8, CP_UTF8);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    for (std::size_t done = 0; done < utf8.size(); done += written)
        if (!WriteFile(handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written,
                       nullptr) ||
            written == 0)
            return;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Parsed parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (!parsed.error.empty()) {
            Write(STD_ERROR_HANDLE, "quillmerec: " + Utf8(parsed.error) + "\r\n\r\n" + UsageText());
            return BadCommandLine;
        }
        if (parsed.command.action == Action::Usage) {
            Write(STD_OUTPUT_HANDLE, UsageText());
            return NothingFound;
        }
        if (parsed.command.action == Action::Version) {
            Write(STD_OUTPUT_HANDLE, "quillmerec " QUILLMERE_VERSION_TEXT "\r\n");
            return NothingFound;
        }
        // No window to freeze: shares and removable drives are probed too, each
        // check bounded.
        rules::WaitForChecks(CheckWait);
        const Report report = Run(parsed.command);
        Write(STD_OUTPUT_HANDLE, parsed.command.json ? ReportJson(report) : ReportText(report));
        Write(STD_ERROR_HANDLE, RefusalText(report));
        return ExitCodeOf(report);
    } catch (const std::exception& error) {
        Write(STD_ERROR_HANDLE, std::string("quillmerec: ") + error.what() + "\r\n");
        return Failed;
    }
}
