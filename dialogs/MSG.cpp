#include "dialogs/MSG.h"

#include "res/resource.h"
#include "ui/CreationOrder.h"

namespace dialogs {

namespace {

using namespace MsgControls;
using enum ui::Kind;
using ui::Align;
using ui::Font;
using ui::NoIndex;
using ui::State;

constexpr ui::WindowDescription MsgWindow{
    MsgForm, "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    4665,    1455};

constexpr ui::ControlRow MsgTable[]{
    // Name, Index, Kind, Container, Caption, Left, Top, Width, Height, Font, At start, Tab,
    // Alignment
    {Picture4, NoIndex, Panel, MsgForm, "", 120, 120, 4455, 1215, Font::None, State::None, 0},
    {Label1, NoIndex, Label, Picture4, "Changes has been save successful", 120, 240, 4155, 360,
     Font::DialogText, State::Enabled, 1, Align::Centre},
    {Command1, NoIndex, PushButton, Picture4, "OK", 1680, 720, 1095, 330, Font::Default,
     State::KeyboardButton, 2},
};

constexpr auto MsgOrder = ui::CompiledCreationOrder(MsgTable, MsgForm);

} // namespace

MSG::MSG() : Form(MsgWindow, MsgTable, MsgOrder) {}

MSG& MSG::Instance() {
    static MSG msg;
    return msg;
}

void MSG::OnControlCommand(ui::Name name, int, int notification) {
    if (name == Command1 && notification == BN_CLICKED)
        Unload();
}

} // namespace dialogs
