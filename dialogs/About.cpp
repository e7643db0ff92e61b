#include "dialogs/About.h"

#include <array>

#include "dialogs/DialogTable.h"
#include "res/resource.h"

namespace dialogs {

namespace {

using enum DialogKind;
using ui::Align;

constexpr ui::WindowDescription AboutWindow{
    "About", "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    5040,    1575};

constexpr std::array<DialogControl, 6> AboutTable{{
    // Name, Kind, Container, Content, Left, Top, Width, Height, Alignment, Tab
    {"Picture4", Panel, "About", "", 120, 120, 4815, 1335, Align::None, 0},
    {"Command1", KeyboardButton, "Picture4", "Close", 3360, 840, 1095, 330, Align::None, 1},
    {"Image1", Image, "Picture4", ui::Gif{IDG_TITLE}, 120, 480, 585, 480, Align::None, ui::NoTab},
    {"Label2", Label, "Picture4", "Quillmere, by the Quillmere team", 480, 120, 3615, 240,
     Align::Left, 2},
    {"Label3", Label, "Picture4", "Lisbon, Portugal", 840, 840, 1665, 240, Align::Left, 3},
    {"Label4", Label, "Picture4", "quillmere@example.org", 1200, 480, 3045, 240, Align::Centre, 4},
}};

} // namespace

About::About() : Form(AboutWindow, ToControls(AboutTable)) {}

About& About::Instance() {
    static About about;
    return about;
}

void About::OnControlCommand(std::string_view name, int, int notification) {
    if (name == "Command1" && notification == BN_CLICKED)
        Unload();
}

} // namespace dialogs
