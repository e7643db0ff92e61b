// std::terminate's handler for MinGW's libstdc++, whose default one links the
// whole C++ demangler (about 45 KiB) to name the uncaught exception's type.
// main catches every exception; this ends the few that cannot reach it (one
// thrown through noexcept) with the program's own exit code for a failure.
#include <windows.h>

#include "console/ExitCode.h"

#ifdef __GLIBCXX__
namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static constexpr char message[] = "quillmerec: ended by an error it could not handle\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, sizeof message - 1, &written, nullptr);
    ExitProcess(console::Failed);
}

} // namespace __gnu_cxx
#endif
