// Main: the program's window, one panel per tool row and the buttons along
// the bottom. The indexed groups UCh, Txt, ULPr and UCmd share their index:
// 0 backup, 1 disk cleanup, 2 defragmentation; UCmd 3 to 6 are the bottom row.
// It edits the tools' registry keys through its one Registry object and
// writes nothing until a save.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "registry/Boolean.h"
#include "registry/KeyWatch.h"
#include "registry/Registry.h"
#include "rules/ToolRules.h"
#include "ui/Form.h"
#include "ui/MessageLoop.h"
#include "ui/OpenFileDialog.h"

namespace app {

// The window works in the tool rules' own terms.
using namespace rules;

// The window's controls, as its table names them, and the bottom buttons'
// indices in the UCmd group (0 to 2 are the rows' browse buttons).
namespace MainControls {
inline constexpr ui::Name MainForm{"Main"};
inline constexpr ui::Name Picture3{"Picture3"}; // the title strip
inline constexpr ui::Name Image3{"Image3"};
inline constexpr ui::Name Label4{"Label4"};
inline constexpr ui::Name Picture1{"Picture1"}; // row 0, backup
inline constexpr ui::Name Label2{"Label2"};
inline constexpr ui::Name Image4{"Image4"};
inline constexpr ui::Name Picture2{"Picture2"}; // row 1, disk cleanup
inline constexpr ui::Name Label3{"Label3"};
inline constexpr ui::Name Image1{"Image1"};
inline constexpr ui::Name Picture5{"Picture5"}; // row 2, defragmentation
inline constexpr ui::Name Label1{"Label1"};
inline constexpr ui::Name Image2{"Image2"};
// The indexed groups.
inline constexpr ui::Name UCh{"UCh"};
inline constexpr ui::Name ULPr{"ULPr"};
inline constexpr ui::Name Txt{"Txt"};
inline constexpr ui::Name UCmd{"UCmd"};
// Each row's program status, in the free space between its check box and its
// picture.
inline constexpr ui::Name ULSt{"ULSt"};
// Each row's hidden label, directly before its text box, which gives screen
// readers the text box's name: the visible "Program" is the same on all rows.
inline constexpr ui::Name TxtName{"TxtName"};

inline constexpr int DefaultButton = 3;
inline constexpr int ApplyButton = 4;
inline constexpr int AboutButton = 5;
inline constexpr int OkButton = 6;
} // namespace MainControls

class Main : public ui::Form {
public:
    Main();

    ui::ControlRef UCh(int index) { return Control(MainControls::UCh, index); }
    ui::ControlRef Txt(int index) { return Control(MainControls::Txt, index); }
    ui::ControlRef ULPr(int index) { return Control(MainControls::ULPr, index); }
    ui::ControlRef UCmd(int index) { return Control(MainControls::UCmd, index); }
    ui::ControlRef ULSt(int index) { return Control(MainControls::ULSt, index); }
    ui::ControlRef TxtName(int index) { return Control(MainControls::TxtName, index); }

    // The open-file dialog the browse buttons show.
    ui::OpenFileDialog Cmd;

    // The unsaved-changes flag: every edit of a row raises it; loading the
    // window from the registry and a successful save clear it.
    Boolean SettingsChanged = False;

    // Registry to window, rows 0 to 2. Writes nothing.
    void LoadSettings();
    // Window to registry, after checking that every enabled row has a command
    // line and asking before it replaces a key changed elsewhere since it was
    // loaded: -1 when written, 0 when nothing was written.
    Boolean SaveSettings();
    // Puts into each row its tool's stock command line, or the line of the
    // program that replaced it where only that one is on this Windows, and
    // enables every row.
    void SetDefault();

protected:
    void OnLoad() override;
    bool OnCloseRequest() override;

    // One handler per group, called with the member's index.
    virtual void OnTxtChange(int index);
    virtual void OnUChClick(int index);
    virtual void OnUCmdClick(int index);
    virtual void OnUCmdLostFocus(int index);

    void OnControlCommand(ui::Name name, int index, int notification) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MarkChanged();
    void KeepOuterSize();
    // Says on the row's panel when its command line cannot start what it
    // names, or what happened to its key; a switched-off row says nothing
    // about its program.
    void ShowProgramStatus(int row);
    // The row as the window shows it now.
    Row RowOf(int row);
    bool Edited(int row) { return rules::Edited(RowOf(row), read_[row]); }
    // Puts the key's row into the window; `read_` then holds the row exactly
    // as the controls took it.
    void ShowRow(int row, ReadRow read);
    // ShowRow for a key that another program may have filled with what the
    // rules cannot turn into a row: the row then keeps what it shows and says
    // that its key cannot be read.
    void ShowFoundRow(int row, ReadRow read, bool loading);
    // LoadSettings after a save.
    void ReloadSettings();

    // Changes made elsewhere: the watch on the tool keys' parent signals, the
    // rows are compared with their keys a moment later, so that a burst of
    // writes is taken in at once. A watch that cannot be armed is tried again
    // every second, each time with a refresh.
    void WatchToolKeys();
    void ArmWatch();
    void OnToolKeysChanged();
    void RefreshChangedRows();

    std::unique_ptr<Registry> registry_;
    // What each row's last read found: the row the window was given and the
    // key as stored.
    std::array<ReadRow, ToolCount> read_;
    // A row that keeps the user's edit while its key holds something else
    // now; one whose key another program made unreadable.
    RowFlags changedElsewhere_{};
    RowFlags unreadable_{};
    // A save holds the refresh back: its question box runs the timer too.
    bool saving_ = false;
    bool refreshPending_ = false;
    std::unique_ptr<KeyWatch> watch_;
    std::unique_ptr<ui::SignalHandler> watchHandler_; // ends before watch_
    std::unique_ptr<ui::SignalHandler> namesHandler_;
};

} // namespace app
