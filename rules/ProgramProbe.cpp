#include "rules/ProgramProbe.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/Environment.h"
#include "rules/ProgramRights.h"

namespace rules {

namespace {

// The front end's patience; none for the window.
DWORD checkWait = 0;

// The reads a SharedReads keeps; none while no one lives.
ReadRights* sharedReads = nullptr;

class SystemFacts final : public ProgramFacts {
public:
    std::string ExpandEnvironment(std::string_view text) override {
        // A text the system cannot expand is read as it stands, as the shell would.
        return base::ExpandEnvironment(text).value_or(std::string(text));
    }

    char WindowsDriveLetter() override {
        char folder[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        // Windows lives on C: unless it says otherwise; it cannot fail to
        // answer in practice, and a letter is all "%c" can become.
        if (length >= 2 && length < MAX_PATH && folder[1] == ':')
            return folder[0];
        return 'C';
    }

    bool MayProbe(std::string_view root) override {
        return checkWait != 0 ||
               (root[1] == ':' && GetDriveTypeA(std::string(root).c_str()) == DRIVE_FIXED);
    }

    Presence FindFile(std::string_view path) override {
        const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return attributes & FILE_ATTRIBUTE_DIRECTORY ? Presence::Missing : Presence::Present;
        // A locked drive, a folder the account may not list, a device not
        // ready: the program may be there.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? Presence::Missing
                   : Presence::CannotCheck;
    }

    std::string SearchOrder() override {
        // The shell's own folder, which is also where CreateProcess looks
        // after the system folder, then the system folder and the PATH.
        char folder[MAX_PATH];
        UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        std::string path(folder, length < MAX_PATH ? length : 0);
        path += ';';
        length = GetSystemDirectoryA(folder, MAX_PATH);
        path.append(folder, length < MAX_PATH ? length : 0);
        path += ';';
        const std::string variable = ExpandEnvironment("%PATH%");
        if (variable != "%PATH%")
            path += variable;
        return path;
    }

    ObjectRights RightsOf(std::string_view path) override {
        return rules::RightsOf(std::string(path).c_str());
    }

    ReadRights* SharedReads() override { return sharedReads; }

    // A front end that waits bounds the whole check.
    std::string NameOf(const std::string& account) override {
        return rules::NameOf(account, checkWait != 0);
    }
};

CheckRunner checkRunner = CheckProgramHere;

} // namespace

ProgramCheck CheckProgramHere(std::string_view commandLine) {
    SystemFacts facts;
    return CheckCommandLine(commandLine, facts);
}

ProgramCheck CheckProgram(std::string_view commandLine) {
    return checkRunner(commandLine);
}

ProgramStatus ProbeProgram(std::string_view commandLine) {
    return CheckProgram(commandLine).status;
}

SharedReads::SharedReads() {
    sharedReads = &reads_;
}

SharedReads::~SharedReads() {
    sharedReads = nullptr;
}

void SetCheckWait(unsigned long milliseconds, CheckRunner runner) {
    checkWait = milliseconds;
    checkRunner = runner;
}

} // namespace rules
