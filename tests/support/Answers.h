// The one way the tests answer a modal window: steps taken in order, each
// waiting until its window is shown, from a timer that the modal loops showing
// the windows dispatch. No case sleeps, and a form that never shows fails the
// case after ten seconds and is unloaded instead of hanging it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Form.h"

namespace support {

// A window of the system's: a visible top-level window of this thread of the
// class, with the title (nullptr: any) and the owner (nullptr: any).
struct SystemWindow {
    const char* windowClass;
    const char* title = nullptr;
    HWND owner = nullptr;
};

inline SystemWindow OpenFileDialog(HWND owner = nullptr) {
    return {"#32770", "Open", owner};
}
// A message box, or any other dialog of the system's.
inline constexpr SystemWindow AnyMessageBox{"#32770"};

class Answers {
public:
    Answers();
    // One step: answers the form with the action once it is shown.
    Answers(ui::Form& form, std::function<void(ui::Form&)> action);
    ~Answers();
    Answers(const Answers&) = delete;
    Answers& operator=(const Answers&) = delete;

    Answers& When(ui::Form& form, std::function<void(ui::Form&)> action);
    Answers& When(SystemWindow window, std::function<void(HWND)> action);

    // True once every step has been taken.
    bool Ran() const { return next_ == steps_.size(); }

private:
    struct Step {
        ui::Form* form;
        SystemWindow window;
        std::function<void(HWND)> action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
    void Tick();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int ticks_ = 0; // spent waiting for the current step
    UINT_PTR timer_ = 0;
    static inline std::map<UINT_PTR, Answers*> running_;
};

// Actions for the open-file dialog: types the path and presses "Open", or
// presses "Cancel" for an empty path. Notes the file-type filter it showed.
std::function<void(HWND)> ChooseFile(std::wstring path, std::string* filterShown = nullptr);

// Reports a message box shown while it should not be as a failure, with its
// text, then closes it: an error that no handler catches shows one before it
// ends the process, and the case then fails saying why instead of timing out.
void ReportAndClose(HWND box);

} // namespace support
