// The window-building pieces on their own: twips at a DPI, the open-file
// dialog's filter and answers, the description of uncaught errors, and how a
// Form copes with a faulty table or a missing picture, and the order it
// creates its controls in.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "base/Failure.h"
#include "registry/RegistryError.h"
#include "res/resource.h"
#include "support/Answers.h"
#include "ui/Dpi.h"
#include "ui/FatalError.h"
#include "ui/Form.h"
#include "ui/MessageLoop.h"
#include "ui/OpenFileDialog.h"
#include "ui/Widgets.h"

namespace {

using ui::Font;
using ui::Kind;
using ui::State;

// The names of the small forms these cases build.
constexpr ui::Name TestForm{"Test"};
constexpr ui::Name Picture1{"Picture1"};
constexpr ui::Name Label1{"Label1"};
constexpr ui::Name Image1{"Image1"};
constexpr ui::Name Image2{"Image2"};
constexpr ui::Name Check{"Check"};

template <typename Error>
ui::FailureReport Describe(Error error) {
    return ui::DescribeFailure(std::make_exception_ptr(error));
}

// An owner for the open-file dialog, whose answers the cases arrange.
class OpenFileDialog : public ::testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }
    HWND owner = nullptr;
};

} // namespace

TEST(Twips, BecomePixelsAtTheDpi) {
    EXPECT_EQ(1, ui::TwipsToPixels(15, 96));
    EXPECT_EQ(441, ui::TwipsToPixels(6615, 96));
    EXPECT_EQ(398, ui::TwipsToPixels(5970, 96));
    EXPECT_EQ(597, ui::TwipsToPixels(5970, 144));
    EXPECT_EQ(33, ui::TwipsToPixels(330, 144));
    EXPECT_EQ(44, ui::TwipsToPixels(330, 192));
    EXPECT_EQ(1095, ui::PixelsToTwips(73, 96));
    EXPECT_EQ(-11, ui::PointsToFontHeight(825, 96));
    EXPECT_EQ(-13, ui::PointsToFontHeight(975, 96));
    EXPECT_EQ(-20, ui::PointsToFontHeight(975, 144));
}

TEST(OpenFileDialogFilter, BarsBecomeNulsAndTheListEndsWithTwo) {
    using namespace std::string_literals;
    EXPECT_EQ("Programs\0*.exe\0All Files\0*.*\0\0"s,
              ui::SystemFilter("Programs|*.exe|All Files|*.*"));
    EXPECT_EQ("\0"s, ui::SystemFilter(""));
}

TEST_F(OpenFileDialog, CancelKeepsTheFileName) {
    support::Answers answer;
    answer.When(support::OpenFileDialog(owner), support::ChooseFile(L""));
    ui::OpenFileDialog cmd;
    cmd.Filter = "Programs|*.exe|All Files|*.*";
    cmd.FileName = "before.exe";
    EXPECT_FALSE(cmd.ShowOpen(owner));
    EXPECT_TRUE(answer.Ran());
    EXPECT_EQ("before.exe", cmd.FileName);
}

TEST_F(OpenFileDialog, AConfirmedFileGivesItsFullPath) {
    support::Answers answer;
    answer.When(support::OpenFileDialog(owner), support::ChooseFile(L"C:\\windows\\notepad.exe"));
    ui::OpenFileDialog cmd;
    cmd.Filter = "Programs|*.exe|All Files|*.*";
    const bool confirmed = cmd.ShowOpen(owner);
    EXPECT_TRUE(answer.Ran());
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(0, lstrcmpiA("C:\\windows\\notepad.exe", cmd.FileName.c_str())) << cmd.FileName;
}

TEST(UncaughtErrors, AreDescribedByNumberAndDescription) {
    const ui::FailureReport registry =
        Describe(RegistryError(26001, "Quillmere.Registry", "Key could not be opened"));
    EXPECT_EQ(26001, registry.number);
    EXPECT_EQ("Key could not be opened", registry.description);

    const ui::FailureReport memory = Describe(std::bad_alloc());
    EXPECT_EQ(7, memory.number);
    EXPECT_EQ("Out of memory", memory.description);

    // What the window system refuses is raised with its error code as the number.
    const ui::FailureReport system = Describe(base::Failure(ERROR_ACCESS_DENIED, "Access"));
    EXPECT_EQ(5, system.number);

    const ui::FailureReport other = Describe(std::runtime_error("broken table"));
    EXPECT_EQ(51, other.number);
    EXPECT_NE(std::string::npos, other.description.find("broken table"));

    EXPECT_EQ(51, Describe(42).number);
}

TEST(Forms, ATableWhoseContainerComesLaterDoesNotLoad) {
    const ui::ControlRow rows[]{
        {Label1, ui::NoIndex, Kind::Label, Picture1, "text", 0, 0, 900, 300, Font::Default,
         State::Enabled, 1},
        {Picture1, ui::NoIndex, Kind::Panel, TestForm, "", 120, 120, 2000, 1000, Font::None,
         State::None, 0},
    };
    ui::Form form(
        {TestForm, "Faulty", 0, ui::Frame::FixedDialog, ui::Placement::CentreOwner, 3000, 1500},
        rows);
    EXPECT_THROW(form.Load(), std::logic_error);
    EXPECT_FALSE(form.IsLoaded());
}

TEST(Forms, AMissingPictureLeavesTheImageBlank) {
    const ui::ControlRow rows[]{
        {Picture1, ui::NoIndex, Kind::Panel, TestForm, "", 120, 120, 2000, 1000, Font::None,
         State::None, 0},
        {Image1, ui::NoIndex, Kind::Image, Picture1, ui::Bitmap{999}, 0, 0, 600, 480, Font::None,
         State::Stretched, ui::NoTab},
        {Image2, ui::NoIndex, Kind::Image, Picture1, ui::Bitmap{IDB_BACKUP}, 600, 0, 600, 480,
         Font::None, State::Stretched, ui::NoTab},
    };
    ui::Form form(
        {TestForm, "Pictures", 0, ui::Frame::FixedDialog, ui::Placement::CentreOwner, 3000, 1500},
        rows);
    form.Load();
    EXPECT_EQ(nullptr, ui::ImagePicture(form.Control(Image1).Hwnd()));
    EXPECT_NE(nullptr, ui::ImagePicture(form.Control(Image2).Hwnd()));
    // Painting the blank image must not fail either.
    ShowWindow(form.Hwnd(), SW_SHOWNA);
    UpdateWindow(form.Hwnd());
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
}

TEST(Forms, ControlsStandInTabOrderWithEachLabelBeforeTheControlAfterIt) {
    const ui::ControlRow rows[]{
        {Picture1, ui::NoIndex, Kind::Panel, TestForm, "", 120, 720, 2000, 600, Font::None,
         State::None, 4},
        {Image1, ui::NoIndex, Kind::Image, Picture1, ui::Bitmap{IDB_TITLE}, 0, 0, 300, 300,
         Font::None, State::Stretched, ui::NoTab},
        {Check, 1, Kind::CheckBox, Picture1, "third", 400, 0, 900, 300, Font::Default,
         State::Cleared, 3},
        {Label1, ui::NoIndex, Kind::Label, Picture1, "names the second", 400, 300, 900, 300,
         Font::Default, State::Enabled, 0},
        {Check, 2, Kind::CheckBox, Picture1, "second", 1300, 300, 600, 300, Font::Default,
         State::Cleared, 2},
        {Check, 0, Kind::CheckBox, TestForm, "first", 120, 120, 900, 300, Font::Default,
         State::Cleared, 1},
    };
    ui::Form form(
        {TestForm, "Order", 0, ui::Frame::FixedDialog, ui::Placement::CentreOwner, 3000, 1500},
        rows);
    const auto children = [](HWND parent) {
        std::vector<HWND> windows;
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            windows.push_back(child);
        return windows;
    };
    form.Load();
    EXPECT_EQ((std::vector<HWND>{form.Control(Check, 0).Hwnd(), form.Control(Picture1).Hwnd()}),
              children(form.Hwnd()));
    EXPECT_EQ((std::vector<HWND>{form.Control(Label1).Hwnd(), form.Control(Check, 2).Hwnd(),
                                 form.Control(Image1).Hwnd(), form.Control(Check, 1).Hwnd()}),
              children(form.Control(Picture1).Hwnd()));
    form.Unload();
}

TEST(Forms, AnUnloadedFormIsBuiltAfreshFromItsTable) {
    const ui::ControlRow rows[]{
        {Label1, ui::NoIndex, Kind::Label, TestForm, "stored", 0, 0, 900, 300, Font::Default,
         State::Enabled, 1},
        {Check, 0, Kind::CheckBox, TestForm, "box", 0, 400, 900, 300, Font::Default, State::Cleared,
         0},
    };
    ui::Form form(
        {TestForm, "Fresh", 0, ui::Frame::FixedDialog, ui::Placement::CentreOwner, 3000, 1500},
        rows);
    form.Control(Label1).SetCaption("replaced");
    form.Control(Check, 0).SetValue(1);
    form.Unload();
    EXPECT_EQ("stored", form.Control(Label1).Caption());
    EXPECT_EQ(0, form.Control(Check, 0).Value());
    form.Unload();
}
