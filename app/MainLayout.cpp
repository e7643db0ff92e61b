// The main window's layout: its frame and its control table, in the order and
// with the values of the window description.
#include "app/Main.h"

#include <commctrl.h>

#include <vector>

#include "res/resource.h"
#include "ui/CreationOrder.h"

namespace app {

namespace {

using namespace MainControls;
using enum ui::Kind;
using ui::AccessibleName;
using ui::Align;
using ui::Bitmap;
using ui::Content;
using ui::Font;
using ui::NoIndex;
using ui::NoTab;
using ui::State;

constexpr ui::WindowDescription MainWindow{
    MainForm, "Quillmere", IDI_QUILLMERE, ui::Frame::Sizable, ui::Placement::CentreScreen, 6495,
    5460,     6615,        5970};

// Containers come before their children. The backup row is index 0 in every
// group although its panel, Picture1, is built after the title strip only.
// Screen readers name a text box by the label directly before it, and a
// button by its caption unless its row gives another name.
constexpr ui::ControlRow MainTable[]{
    // Name, Index, Kind, Container, Caption/text/picture, Left, Top, Width, Height, Font,
    // At start, Tab, Alignment
    {Picture3, NoIndex, Panel, MainForm, "", 120, 120, 6255, 495, Font::None, State::None, 22},
    {Image3, NoIndex, Image, Picture3, Bitmap{IDB_TITLE}, 0, 0, 600, 480, Font::None,
     State::Stretched, NoTab},
    {Label4, NoIndex, Label, Picture3, "Change abability of Quillmere and it's programs", 840, 120,
     4455, 375, Font::Title, State::None, 23},

    {Picture1, NoIndex, Panel, MainForm, "", 120, 720, 6255, 1335, Font::None, State::None, 16},
    {Label2, NoIndex, Label, Picture1, "Backup  Utility", 240, 120, 3975, 255, Font::Title,
     State::None, 17},
    {UCh, 0, CheckBox, Picture1, "Disable Backup Utility", 480, 480, 3375, 255, Font::Default,
     State::Cleared, 0},
    {ULPr, 0, Label, Picture1, "Program", 480, 840, 855, 375, Font::Default, State::Enabled, 18},
    {TxtName, 0, Label, Picture1, "Backup program", 480, 840, 855, 375, Font::None, State::Hidden,
     NoTab},
    {Txt, 0, TextBox, Picture1, "Text1", 1320, 840, 3855, 330, Font::Default, State::Enabled, 1},
    {UCmd, 0, PushButton, Picture1, Content("Browes", AccessibleName{IDS_BROWSE_BACKUP}), 5280, 840,
     810, 330, Font::Default, State::Enabled, 2},
    {Image4, NoIndex, Image, Picture1, Bitmap{IDB_BACKUP}, 5520, 120, 495, 495, Font::None,
     State::Stretched, NoTab},
    {ULSt, 0, StatusLabel, Picture1, "", 3900, 480, 1560, 255, Font::Default, State::Enabled, 24,
     Align::Right},

    {Picture2, NoIndex, Panel, MainForm, "", 120, 2160, 6255, 1335, Font::None, State::None, 19},
    {Label3, NoIndex, Label, Picture2, "Disk Cleanup Utility", 240, 120, 3975, 255, Font::Title,
     State::None, 20},
    {UCh, 1, CheckBox, Picture2, "Disable Disk Cleanup", 480, 480, 3375, 255, Font::Default,
     State::Cleared, 3},
    {ULPr, 1, Label, Picture2, "Program", 480, 840, 855, 375, Font::Default, State::Enabled, 21},
    {TxtName, 1, Label, Picture2, "Disk cleanup program", 480, 840, 855, 375, Font::None,
     State::Hidden, NoTab},
    {Txt, 1, TextBox, Picture2, "Text1", 1320, 840, 3855, 330, Font::Default, State::Enabled, 4},
    {UCmd, 1, PushButton, Picture2, Content("Browes", AccessibleName{IDS_BROWSE_CLEANUP}), 5280,
     840, 855, 330, Font::Default, State::Enabled, 5},
    {Image1, NoIndex, Image, Picture2, Bitmap{IDB_CLEANUP}, 5520, 120, 495, 495, Font::None,
     State::Stretched, NoTab},
    {ULSt, 1, StatusLabel, Picture2, "", 3900, 480, 1560, 255, Font::Default, State::Enabled, 25,
     Align::Right},

    {Picture5, NoIndex, Panel, MainForm, "", 120, 3600, 6255, 1335, Font::None, State::None, 13},
    {Label1, NoIndex, Label, Picture5, "Disk Defragment Utility", 240, 120, 3975, 255, Font::Title,
     State::None, 15},
    {UCh, 2, CheckBox, Picture5, "Disable Disk Defragmenter ", 480, 480, 3375, 255, Font::Default,
     State::Cleared, 6},
    {ULPr, 2, Label, Picture5, "Program", 480, 840, 855, 375, Font::Default, State::Enabled, 14},
    {TxtName, 2, Label, Picture5, "Defragmenter program", 480, 840, 855, 375, Font::None,
     State::Hidden, NoTab},
    {Txt, 2, TextBox, Picture5, "Text1", 1320, 840, 3855, 330, Font::Default, State::Enabled, 7},
    {UCmd, 2, PushButton, Picture5, Content("Browes", AccessibleName{IDS_BROWSE_DEFRAG}), 5280, 840,
     855, 330, Font::Default, State::Enabled, 8},
    {Image2, NoIndex, Image, Picture5, Bitmap{IDB_DEFRAG}, 5520, 120, 495, 495, Font::None,
     State::Stretched, NoTab},
    {ULSt, 2, StatusLabel, Picture5, "", 3900, 480, 1560, 255, Font::Default, State::Enabled, 26,
     Align::Right},

    {UCmd, 5, PushButton, MainForm, "About", 120, 5040, 1095, 330, Font::Default, State::Enabled,
     12},
    {UCmd, 6, PushButton, MainForm, "OK", 2880, 5040, 1095, 330, Font::Default,
     State::KeyboardButton, 11},
    {UCmd, 3, PushButton, MainForm, "Default", 4080, 5040, 1095, 330, Font::Default, State::Enabled,
     9},
    {UCmd, 4, PushButton, MainForm, "Apply", 5280, 5040, 1095, 330, Font::Default, State::Disabled,
     10},
};

constexpr auto MainOrder = ui::CompiledCreationOrder(MainTable, MainForm);

} // namespace

Main::Main() : Form(MainWindow, MainTable, MainOrder) {
    // The initialisation handler: the common controls before any window.
    InitCommonControls();
}

} // namespace app
