// The system's open-file dialog as a component with the three members the
// main window uses: Filter, ShowOpen and FileName. It has no window of its own
// until ShowOpen runs.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

class OpenFileDialog {
public:
    // Choices as "Name|pattern|Name|pattern", e.g. "Programs|*.exe|All Files|*.*".
    std::string Filter;
    // The confirmed file's full path after ShowOpen; the initial name before.
    std::string FileName;

    // Shows the dialog modally over the owner. True when the user confirmed a
    // file (FileName then holds it), false when the dialog was cancelled.
    bool ShowOpen(HWND owner);
};

// The filter in the system's form: each '|' becomes a NUL, and the list ends
// with two NULs.
std::string SystemFilter(const std::string& filter);

} // namespace ui
