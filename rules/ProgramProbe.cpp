#include "rules/ProgramProbe.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/Environment.h"
#include "rules/ProgramRights.h"

namespace rules {

namespace {

bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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

    bool IsLocalFixedDrive(std::string_view root) override {
        return GetDriveTypeA(std::string(root).c_str()) == DRIVE_FIXED;
    }

    bool FileExists(std::string_view path) override { return IsFile(std::string(path).c_str()); }

    std::vector<std::string> SearchFolders() override {
        std::vector<std::string> folders;
        char folder[MAX_PATH];
        UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        const std::string windows(folder, length < MAX_PATH ? length : 0);
        length = GetSystemDirectoryA(folder, MAX_PATH);
        const std::string system(folder, length < MAX_PATH ? length : 0);
        // The shell's own folder, which is also where CreateProcess looks
        // after the system folder, then the system folder and the PATH.
        for (const std::string& known : {windows, system})
            if (!known.empty())
                folders.push_back(known);
        const std::string path = ExpandEnvironment("%PATH%");
        if (path != "%PATH%") {
            for (std::size_t start = 0; start <= path.size();) {
                std::size_t end = path.find(';', start);
                if (end == std::string::npos)
                    end = path.size();
                folders.push_back(path.substr(start, end - start));
                start = end + 1;
            }
        }
        return folders;
    }

    std::string WhoCanReplace(std::string_view path) override { return rules::WhoCanReplace(path); }
};

} // namespace

ProgramCheck CheckProgram(std::string_view commandLine) {
    SystemFacts facts;
    return CheckCommandLine(commandLine, facts);
}

ProgramStatus ProbeProgram(std::string_view commandLine) {
    return CheckProgram(commandLine).status;
}

} // namespace rules
