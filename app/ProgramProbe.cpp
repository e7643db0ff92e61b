#include "app/ProgramProbe.h"

#include <windows.h>

#include <string>

namespace app {

namespace {

bool isFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class SystemFacts final : public ProgramFacts {
public:
    std::string expandEnvironment(std::string_view text) override {
        const std::string source(text);
        std::string expanded(source.size() + 2, '\0');
        // The ANSI version wants room for one character more than the text
        // and its terminator, and a variable may change between two calls:
        // so grow until the text fits, then cut it at its terminator.
        for (;;) {
            const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), expanded.data(),
                                                           static_cast<DWORD>(expanded.size()));
            if (needed == 0)
                return source;
            if (needed < expanded.size()) {
                expanded.resize(std::char_traits<char>::length(expanded.c_str()));
                return expanded;
            }
            expanded.resize(needed + 1);
        }
    }

    char windowsDriveLetter() override {
        char folder[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        // Windows lives on C: unless it says otherwise; it cannot fail to
        // answer in practice, and a letter is all "%c" can become.
        if (length >= 2 && length < MAX_PATH && folder[1] == ':')
            return folder[0];
        return 'C';
    }

    bool isLocalFixedDrive(std::string_view root) override {
        return GetDriveTypeA(std::string(root).c_str()) == DRIVE_FIXED;
    }

    bool fileExists(std::string_view path) override { return isFile(std::string(path).c_str()); }

    // The rules have already added ".exe" where CreateProcess would, so the
    // search is given no extension of its own.
    bool searchFinds(std::string_view name) override {
        const std::string file(name);
        std::string found(MAX_PATH, '\0');
        DWORD length = SearchPathA(nullptr, file.c_str(), nullptr, static_cast<DWORD>(found.size()),
                                   found.data(), nullptr);
        if (length >= found.size()) {
            found.resize(length);
            length = SearchPathA(nullptr, file.c_str(), nullptr, static_cast<DWORD>(found.size()),
                                 found.data(), nullptr);
        }
        if (length == 0 || length >= found.size())
            return false;
        found.resize(length);
        return isFile(found.c_str());
    }
};

} // namespace

ProgramStatus probeProgram(std::string_view commandLine) {
    SystemFacts facts;
    return programStatus(commandLine, facts);
}

} // namespace app
