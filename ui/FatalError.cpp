#include "ui/FatalError.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "base/Failure.h"
#include "ui/MessageLoop.h"

namespace ui {

FailureReport DescribeFailure(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const base::Failure& failure) {
        return {failure.Number(), failure.Description()};
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory"};
    } catch (const std::exception& other) {
        return {51, std::string("Internal error: ") + other.what()};
    } catch (...) {
        return {51, "Internal error"};
    }
}

namespace {

// The box bears the program's name: its main window's title or, before that
// window exists, the executable's name. Fills a fixed buffer, so that it
// works when nothing can be allocated.
void BoxTitle(char (&title)[MAX_PATH]) {
    HWND application = ApplicationWindow();
    if (application && GetWindowTextA(application, title, MAX_PATH) > 0)
        return;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/')
            name = c + 1;
    lstrcpynA(title, name, MAX_PATH);
    if (char* dot = std::strrchr(title, '.'))
        *dot = '\0';
}

} // namespace

void FailFast(std::exception_ptr error) noexcept {
    char title[MAX_PATH] = {};
    BoxTitle(title);
    try {
        FailureReport report = DescribeFailure(error);
        std::string text;
        text.append("Error ").append(std::to_string(report.number)).append("\n\n");
        text.append(report.description);
        MessageBoxA(nullptr, text.c_str(), title, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        // Not even the text could be built (out of memory): a fixed box still can.
        MessageBoxA(nullptr, "Error 7\n\nOut of memory", title,
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ExitProcess(1);
}

} // namespace ui
