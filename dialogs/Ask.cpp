#include "dialogs/Ask.h"

#include "dialogs/Functions.h"
#include "res/resource.h"
#include "ui/CreationOrder.h"

namespace dialogs {

namespace {

using namespace AskControls;
using enum ui::Kind;
using ui::Align;
using ui::Font;
using ui::NoIndex;
using ui::State;

constexpr ui::WindowDescription AskWindow{
    AskForm, "Quillmere", IDI_QUILLMERE, ui::Frame::FixedDialog, ui::Placement::CentreOwner,
    5535,    1455};

constexpr ui::ControlRow AskTable[]{
    // Name, Index, Kind, Container, Caption, Left, Top, Width, Height, Font, At start, Tab,
    // Alignment
    {Picture4, NoIndex, Panel, AskForm, "", 120, 120, 5295, 1215, Font::None, State::None, 0},
    {Label1, NoIndex, Label, Picture4, "You want to save the last changes of utilities ?", 90, 240,
     5115, 345, Font::DialogText, State::Enabled, 2, Align::Centre},
    {Command1, NoIndex, PushButton, Picture4, "Yes", 1200, 720, 1095, 330, Font::Default,
     State::Enabled, 1},
    {Command2, NoIndex, PushButton, Picture4, "No", 3000, 720, 1095, 330, Font::Default,
     State::KeyboardButton, 3},
};

constexpr auto AskOrder = ui::CompiledCreationOrder(AskTable, AskForm);

} // namespace

Ask::Ask() : Form(AskWindow, AskTable, AskOrder) {}

Ask& Ask::Instance() {
    static Ask ask;
    return ask;
}

void Ask::OnLoad() {
    Functions::AskAnswer = 0;
}

void Ask::OnControlCommand(ui::Name name, int, int notification) {
    if (notification != BN_CLICKED)
        return;
    if (name == Command1) {
        Functions::AskAnswer = -1;
        Unload();
    } else if (name == Command2) {
        Functions::AskAnswer = 0;
        Unload();
    }
}

} // namespace dialogs
