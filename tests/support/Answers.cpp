#include "Answers.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "WindowAccess.h"

namespace support {

namespace {

HWND shownSystemWindow(const SystemWindow& wanted) {
    struct Search {
        const SystemWindow* wanted;
        HWND found = nullptr;
    } search{&wanted};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) {
            auto& search = *reinterpret_cast<Search*>(param);
            const SystemWindow& wanted = *search.wanted;
            if (!IsWindowVisible(window) || !IsClass(window, wanted.windowClass) ||
                (wanted.title && TextOf(window) != wanted.title) ||
                (wanted.owner && GetWindow(window, GW_OWNER) != wanted.owner))
                return TRUE;
            search.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A direct child, by class and id: the open-file dialog's list view shares id
// 1 with its "Open" button.
HWND child(HWND dialog, const char* windowClass, int id) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == id && IsClass(c, windowClass))
            return c;
    return nullptr;
}

} // namespace

Answers::Answers() : timer_(SetTimer(nullptr, 0, 10, Tick)) {
    running_[timer_] = this;
}

Answers::Answers(ui::Form& form, std::function<void(ui::Form&)> action) : Answers() {
    When(form, std::move(action));
}

Answers::~Answers() {
    KillTimer(nullptr, timer_);
    running_.erase(timer_);
}

Answers& Answers::When(ui::Form& form, std::function<void(ui::Form&)> action) {
    steps_.push_back({&form, {}, [&form, action = std::move(action)](HWND) { action(form); }});
    return *this;
}

Answers& Answers::When(SystemWindow window, std::function<void(HWND)> action) {
    steps_.push_back({nullptr, window, std::move(action)});
    return *this;
}

void CALLBACK Answers::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    if (const auto found = running_.find(timer); found != running_.end())
        found->second->Tick();
}

void Answers::Tick() {
    if (Ran())
        return;
    Step& step = steps_[next_];
    HWND shown =
        step.form ? (step.form->IsLoaded() && IsWindowVisible(step.form->Hwnd()) ? step.form->Hwnd()
                                                                                 : nullptr)
                  : shownSystemWindow(step.window);
    if (!shown) {
        if (step.form && ++ticks_ > 1000) {
            ++next_;
            ADD_FAILURE() << step.form->Description().name.text << " was never shown";
            step.form->Unload();
        }
        return;
    }
    // The action may run a message loop that ticks again: the step is taken
    // before it runs.
    ++next_;
    ticks_ = 0;
    const std::function<void(HWND)> action = step.action;
    action(shown);
}

std::function<void(HWND)> ChooseFile(std::wstring path, std::string* filterShown) {
    return [path = std::move(path), filterShown](HWND dialog) {
        if (filterShown)
            *filterShown = TextOf(child(dialog, "ComboBox", 1136));
        if (path.empty()) {
            Click(child(dialog, "Button", IDCANCEL));
            return;
        }
        // The file-name box is the edit inside the combo box with id 1148.
        HWND box = child(dialog, "ComboBoxEx32", 1148);
        HWND combo = box ? FindWindowExA(box, nullptr, "ComboBox", nullptr) : nullptr;
        SetWindowTextW(combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr,
                       path.c_str());
        Click(child(dialog, "Button", IDOK));
    };
}

void ReportAndClose(HWND box) {
    ADD_FAILURE() << "the program ended with: " << messageOf(box);
    std::fflush(stdout);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

} // namespace support
