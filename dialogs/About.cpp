#include "dialogs/About.h"

#include "res/resource.h"
#include "ui/CreationOrder.h"

namespace dialogs {

namespace {

using namespace AboutControls;
using enum ui::Kind;
using ui::Align;
using ui::Bitmap;
using ui::Font;
using ui::NoIndex;
using ui::NoTab;
using ui::State;

constexpr ui::WindowDescription AboutWindow{
    AboutForm, "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    5040,      1575};

constexpr ui::ControlRow AboutTable[]{
    // Name, Index, Kind, Container, Content, Left, Top, Width, Height, Font, At start, Tab,
    // Alignment
    {Picture4, NoIndex, Panel, AboutForm, "", 120, 120, 4815, 1335, Font::None, State::None, 0},
    {Command1, NoIndex, PushButton, Picture4, "Close", 3360, 840, 1095, 330, Font::Default,
     State::KeyboardButton, 1},
    {Image1, NoIndex, Image, Picture4, Bitmap{IDB_TITLE}, 120, 480, 585, 480, Font::None,
     State::Stretched, NoTab},
    {Label2, NoIndex, Label, Picture4, "Quillmere, by the Quillmere team", 480, 120, 3615, 240,
     Font::DialogText, State::Enabled, 2, Align::Left},
    {Label3, NoIndex, Label, Picture4, "Lisbon, Portugal", 840, 840, 1665, 240, Font::DialogText,
     State::Enabled, 3, Align::Left},
    {Label4, NoIndex, Label, Picture4, "quillmere@example.org", 1200, 480, 3045, 240,
     Font::DialogText, State::Enabled, 4, Align::Centre},
};

constexpr auto AboutOrder = ui::CompiledCreationOrder(AboutTable, AboutForm);

} // namespace

About::About() : Form(AboutWindow, AboutTable, AboutOrder) {}

About& About::Instance() {
    static About about;
    return about;
}

void About::OnControlCommand(ui::Name name, int, int notification) {
    if (name == Command1 && notification == BN_CLICKED)
        Unload();
}

} // namespace dialogs
