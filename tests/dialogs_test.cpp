// The three dialogs as built and as answered: their layouts and frames, the
// answers of AskToSave by every way of closing Ask, MSG's one-showing caption,
// and the modal showing over the main window.
#include <gtest/gtest.h>

#include <vector>

#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/Ask.h"
#include "dialogs/Functions.h"
#include "dialogs/MSG.h"
#include "support/Answers.h"
#include "support/Layouts.h"
#include "support/MainWindow.h"
#include "ui/Widgets.h"

using namespace support;

namespace {

// The dialogs' owner: the main window, shown.
class Dialogs : public ShownMainWindowTest<> {
protected:
    // AskToSave, answered by the given action once Ask is shown.
    std::int16_t AskAnsweredBy(std::function<void(ui::Form&)> action) {
        Answers answer(dialogs::Ask::Instance(), std::move(action));
        const std::int16_t result = Functions::AskToSave();
        EXPECT_TRUE(answer.Ran());
        EXPECT_FALSE(dialogs::Ask::Instance().IsLoaded()) << "Ask unloads when answered";
        return result;
    }
};

// What a modal dialog looked like while it was shown.
struct Observed {
    bool ownerDisabled = false;
    HWND owner = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT window{};
    RECT client{};
    std::string focus;
};

Observed Observe(ui::Form& dialog) {
    Observed seen;
    seen.owner = GetWindow(dialog.Hwnd(), GW_OWNER);
    seen.ownerDisabled = seen.owner && !IsWindowEnabled(seen.owner);
    seen.style = static_cast<DWORD>(GetWindowLongPtrA(dialog.Hwnd(), GWL_STYLE));
    seen.exStyle = static_cast<DWORD>(GetWindowLongPtrA(dialog.Hwnd(), GWL_EXSTYLE));
    GetWindowRect(dialog.Hwnd(), &seen.window);
    GetClientRect(dialog.Hwnd(), &seen.client);
    seen.focus = TextOf(GetFocus());
    return seen;
}

void ExpectDialogFrame(const Observed& seen, HWND main, int clientWidth, int clientHeight,
                       int dpi) {
    EXPECT_TRUE(seen.ownerDisabled) << "the owner takes no input while the dialog is shown";
    EXPECT_EQ(main, seen.owner);
    EXPECT_FALSE(seen.style & WS_THICKFRAME);
    EXPECT_FALSE(seen.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(seen.style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_EQ(static_cast<DWORD>(WS_CAPTION), seen.style & WS_CAPTION);
    EXPECT_FALSE(seen.exStyle & WS_EX_APPWINDOW) << "not in the taskbar";
    EXPECT_NEAR(ToTwips(seen.client.right, dpi), clientWidth, 1440.0 / dpi);
    EXPECT_NEAR(ToTwips(seen.client.bottom, dpi), clientHeight, 1440.0 / dpi);
    RECT owner;
    GetWindowRect(main, &owner);
    EXPECT_NEAR((seen.window.left + seen.window.right) / 2.0, (owner.left + owner.right) / 2.0,
                1.0);
    EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2.0, (owner.top + owner.bottom) / 2.0,
                1.0);
}

void ExpectDialogFonts(ui::Form& dialog, const std::vector<ui::Name>& labels, ui::Name button) {
    for (ui::Name label : labels) {
        SCOPED_TRACE(label.text);
        ExpectTitleFont(dialog.Control(label).Hwnd(), 9.75, dialog.Dpi());
    }
    EXPECT_EQ(FW_NORMAL, FontOf(dialog.Control(button).Hwnd()).lfWeight);
}

} // namespace

TEST_F(Dialogs, AskIsBuiltAsItsLayoutSays) {
    dialogs::Ask& ask = dialogs::Ask::Instance();
    Observed seen;
    Answers answer(ask, [&](ui::Form& shown) {
        seen = Observe(shown);
        EXPECT_LAYOUT(shown, AskLayout);
        ExpectDialogFonts(shown, {askc::Label1}, askc::Command1);
        EXPECT_EQ("Quillmere", TextOf(shown.Hwnd()));
        EXPECT_TRUE(GetWindowLongPtrA(shown.Control(askc::Label1).Hwnd(), GWL_STYLE) & SS_CENTER);
        shown.Unload();
    });
    Functions::AskToSave();
    ExpectDialogFrame(seen, main.Hwnd(), 5535, 1455, main.Dpi());
    EXPECT_EQ("Yes", seen.focus) << "the first tab stop";
    EXPECT_TRUE(IsWindowEnabled(main.Hwnd()));
}

TEST_F(Dialogs, MSGIsBuiltAsItsLayoutSays) {
    dialogs::MSG& msg = dialogs::MSG::Instance();
    Observed seen;
    Answers answer(msg, [&](ui::Form& shown) {
        seen = Observe(shown);
        EXPECT_LAYOUT(shown, MsgLayout);
        ExpectDialogFonts(shown, {msgc::Label1}, msgc::Command1);
        shown.Unload();
    });
    msg.ShowModal();
    ExpectDialogFrame(seen, main.Hwnd(), 4665, 1455, main.Dpi());
    EXPECT_EQ("OK", seen.focus);
}

TEST_F(Dialogs, AboutIsBuiltAsItsLayoutSays) {
    dialogs::About& about = dialogs::About::Instance();
    Observed seen;
    Answers answer(about, [&](ui::Form& shown) {
        seen = Observe(shown);
        EXPECT_LAYOUT(shown, AboutLayout);
        ExpectDialogFonts(shown, {aboutc::Label2, aboutc::Label3, aboutc::Label4},
                          aboutc::Command1);
        EXPECT_NE(nullptr, ui::ImagePicture(shown.Control(aboutc::Image1).Hwnd()));
        shown.Unload();
    });
    about.ShowModal();
    ExpectDialogFrame(seen, main.Hwnd(), 5040, 1575, main.Dpi());
    EXPECT_EQ("Close", seen.focus);
}

TEST_F(Dialogs, AskToSaveAnswersYesOnlyForTheYesButton) {
    auto click = [](ui::Name button) {
        return [button](ui::Form& ask) { Click(ask.Control(button).Hwnd()); };
    };
    EXPECT_EQ(-1, AskAnsweredBy(click(askc::Command1)));
    EXPECT_EQ(-1, Functions::AskAnswer) << "the answer outlives the window";
    EXPECT_EQ(0, AskAnsweredBy(click(askc::Command2)));
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form& ask) {
                  PostMessageA(ask.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); // the close box
              }));
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form&) { PressAltF4(); }));
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form&) { PressKey(VK_ESCAPE); }));
}

TEST_F(Dialogs, AskStartsFromNoAtEveryShowing) {
    Functions::AskAnswer = -1;
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form& ask) {
                  EXPECT_EQ(0, Functions::AskAnswer) << "reset when Ask loads";
                  ask.Unload();
              }));
    EXPECT_EQ(-1, AskAnsweredBy([](ui::Form& ask) { Click(ask.Control(askc::Command1).Hwnd()); }));
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form& ask) { PostMessageA(ask.Hwnd(), WM_CLOSE, 0, 0); }));
}

TEST_F(Dialogs, EnterInAskPressesTheFocusedButton) {
    EXPECT_EQ(-1, AskAnsweredBy([](ui::Form&) { PressKey(VK_RETURN); })) << "focus on Yes";
    EXPECT_EQ(0, AskAnsweredBy([](ui::Form&) {
                  PressKey(VK_TAB);
                  PressKey(VK_RETURN);
              }))
        << "Tab to No, then Enter";
}

TEST_F(Dialogs, TabInAskWrapsBetweenItsButtons) {
    std::vector<std::string> focus;
    AskAnsweredBy([&](ui::Form& ask) {
        for (int step = 0; step < 2; ++step) {
            PressKey(VK_TAB);
            ui::ProcessPendingMessages();
            focus.push_back(TextOf(GetFocus()));
        }
        ask.Unload();
    });
    EXPECT_EQ((std::vector<std::string>{"No", "Yes"}), focus);
}

TEST_F(Dialogs, AReplacedMSGCaptionLastsOneShowing) {
    dialogs::MSG& msg = dialogs::MSG::Instance();
    msg.Control(msgc::Label1).SetCaption("No Cleanup Path Selected");
    EXPECT_TRUE(msg.IsLoaded()) << "setting the caption loads the window";
    std::vector<std::string> shown;
    auto readAndClose = [&](ui::Form& window) {
        shown.push_back(TextOf(window.Control(msgc::Label1).Hwnd()));
        Click(window.Control(msgc::Command1).Hwnd());
    };
    {
        Answers answer(msg, readAndClose);
        msg.ShowModal();
    }
    EXPECT_FALSE(msg.IsLoaded());
    {
        Answers answer(msg, readAndClose);
        msg.ShowModal();
    }
    EXPECT_EQ(
        (std::vector<std::string>{"No Cleanup Path Selected", "Changes has been save successful"}),
        shown);
}

TEST_F(Dialogs, MSGAndAboutCloseWithEnterEscAndTheCloseBox) {
    for (ui::Form* dialog : {static_cast<ui::Form*>(&dialogs::MSG::Instance()),
                             static_cast<ui::Form*>(&dialogs::About::Instance())}) {
        for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}, WPARAM{0}}) {
            SCOPED_TRACE(std::string(dialog->Description().name.text) + " key " +
                         std::to_string(key));
            Answers answer(*dialog, [key](ui::Form& shown) {
                if (key)
                    PressKey(key);
                else
                    PostMessageA(shown.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
            });
            dialog->ShowModal();
            EXPECT_TRUE(answer.Ran());
            EXPECT_FALSE(dialog->IsLoaded());
            EXPECT_TRUE(IsWindowEnabled(main.Hwnd()));
        }
    }
}

TEST(DialogsWithoutMain, StayOutOfTheTaskbarWithAHiddenOwner) {
    ASSERT_EQ(nullptr, ui::ApplicationWindow());
    HWND owner = nullptr;
    Answers answer(dialogs::MSG::Instance(), [&](ui::Form& shown) {
        owner = GetWindow(shown.Hwnd(), GW_OWNER);
        shown.Unload();
    });
    dialogs::MSG::Instance().ShowModal();
    ASSERT_NE(nullptr, owner);
    EXPECT_FALSE(IsWindowVisible(owner));
}
