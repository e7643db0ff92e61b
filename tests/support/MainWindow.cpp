#include "MainWindow.h"

#include "Answers.h"
#include "base/Handles.h"
#include "dialogs/Ask.h"
#include "dialogs/MSG.h"

namespace support {

namespace {

::testing::AssertionResult state(app::Main& main, bool changed) {
    const bool applyEnabled = main.UCmd(app::MainControls::ApplyButton).Enabled();
    const bool matches = (main.SettingsChanged == True) == changed && applyEnabled == changed;
    return (matches ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << "SettingsChanged is " << main.SettingsChanged << ", Apply is "
           << (applyEnabled ? "enabled" : "disabled");
}

// Answers the MSG window with its OK, noting its text.
void readAndClose(Answers& answers, std::string& message) {
    answers.When(dialogs::MSG::Instance(), [&message](ui::Form& msg) {
        message = msg.Control(dialogs::MsgControls::Label1).Caption();
        Click(msg.Control(dialogs::MsgControls::Command1).Hwnd());
    });
}

} // namespace

::testing::AssertionResult clean(app::Main& main) {
    return state(main, false);
}

::testing::AssertionResult changed(app::Main& main) {
    return state(main, true);
}

::testing::AssertionResult rowEnabled(app::Main& main, int row) {
    const bool text = main.Txt(row).Enabled(), browse = main.UCmd(row).Enabled(),
               label = main.ULPr(row).Enabled();
    return (text && browse && label ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << "row " << row << ": Txt " << text << ", UCmd " << browse << ", ULPr " << label;
}

bool runUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    // A timer wakes the loop to look at the clock.
    const UINT_PTR wake = SetTimer(nullptr, 0, 20, nullptr);
    ui::RunMessagesUntil([&] { return condition() || GetTickCount64() > end; });
    KillTimer(nullptr, wake);
    return condition();
}

void elsewhere(const std::function<void()>& work) {
    const base::unique_handle thread(CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            (*static_cast<const std::function<void()>*>(parameter))();
            return 0;
        },
        const_cast<std::function<void()>*>(&work), 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread.get(), INFINITE);
}

std::string clickAndReadMessage(app::Main& main, int button) {
    std::string shown = "(not shown)";
    Answers answers;
    readAndClose(answers, shown);
    SendMessageA(main.UCmd(button).Hwnd(), BM_CLICK, 0, 0);
    return shown;
}

CloseResult closeAnswering(app::Main& main, const std::string& answer) {
    CloseResult result;
    Answers answers;
    answers.When(dialogs::Ask::Instance(), [&](ui::Form& ask) {
        result.asked = true;
        if (answer == "close box")
            PostMessageA(ask.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            Click(ask.Control(answer == "Yes" ? dialogs::AskControls::Command1
                                              : dialogs::AskControls::Command2)
                      .Hwnd());
    });
    readAndClose(answers, result.message);
    SendMessageA(main.Hwnd(), WM_CLOSE, 0, 0);
    result.ended = !main.IsLoaded() && takeQuit();
    return result;
}

} // namespace support
