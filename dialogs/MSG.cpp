#include "dialogs/MSG.h"

#include <array>

#include "dialogs/DialogTable.h"
#include "res/resource.h"

namespace dialogs {

namespace {

using enum DialogKind;
using ui::Align;

constexpr ui::WindowDescription MsgWindow{
    "MSG", "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    4665,  1455};

constexpr std::array<DialogControl, 3> MsgTable{{
    // Name, Kind, Container, Caption, Left, Top, Width, Height, Alignment, Tab
    {"Picture4", Panel, "MSG", "", 120, 120, 4455, 1215, Align::None, 0},
    {"Label1", Label, "Picture4", "Changes has been save successful", 120, 240, 4155, 360,
     Align::Centre, 1},
    {"Command1", KeyboardButton, "Picture4", "OK", 1680, 720, 1095, 330, Align::None, 2},
}};

} // namespace

MSG::MSG() : Form(MsgWindow, ToControls(MsgTable)) {}

MSG& MSG::Instance() {
    static MSG msg;
    return msg;
}

void MSG::OnControlCommand(std::string_view name, int, int notification) {
    if (name == "Command1" && notification == BN_CLICKED)
        Unload();
}

} // namespace dialogs
