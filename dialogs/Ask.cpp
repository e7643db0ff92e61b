#include "dialogs/Ask.h"

#include <array>

#include "dialogs/DialogTable.h"
#include "dialogs/Functions.h"
#include "res/resource.h"

namespace dialogs {

namespace {

using enum DialogKind;
using ui::Align;

constexpr ui::WindowDescription AskWindow{
    "Ask", "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    5535,  1455};

constexpr std::array<DialogControl, 4> AskTable{{
    // Name, Kind, Container, Caption, Left, Top, Width, Height, Alignment, Tab
    {"Picture4", Panel, "Ask", "", 120, 120, 5295, 1215, Align::None, 0},
    {"Label1", Label, "Picture4", "You want to save the last changes of utilities ?", 90, 240, 5115,
     345, Align::Centre, 2},
    {"Command1", PushButton, "Picture4", "Yes", 1200, 720, 1095, 330, Align::None, 1},
    {"Command2", KeyboardButton, "Picture4", "No", 3000, 720, 1095, 330, Align::None, 3},
}};

} // namespace

Ask::Ask() : Form(AskWindow, ToControls(AskTable)) {}

Ask& Ask::Instance() {
    static Ask ask;
    return ask;
}

void Ask::OnLoad() {
    Functions::AskAnswer = 0;
}

void Ask::OnControlCommand(std::string_view name, int, int notification) {
    if (notification != BN_CLICKED)
        return;
    if (name == "Command1") {
        Functions::AskAnswer = -1;
        Unload();
    } else if (name == "Command2") {
        Functions::AskAnswer = 0;
        Unload();
    }
}

} // namespace dialogs
