// Main: the program's window, one panel per tool row and the buttons along
// the bottom. The indexed groups UCh, Txt, ULPr and UCmd share their index:
// 0 backup, 1 disk cleanup, 2 defragmentation; UCmd 3 to 6 are the bottom row.
#pragma once

#include "ui/Form.h"
#include "ui/OpenFileDialog.h"

namespace app {

class Main : public ui::Form {
public:
    Main();

    ui::ControlRef UCh(int index) { return Control("UCh", index); }
    ui::ControlRef Txt(int index) { return Control("Txt", index); }
    ui::ControlRef ULPr(int index) { return Control("ULPr", index); }
    ui::ControlRef UCmd(int index) { return Control("UCmd", index); }

    // The open-file dialog the browse buttons show.
    ui::OpenFileDialog Cmd;

protected:
    // One handler per group, called with the member's index.
    virtual void OnTxtChange(int index);
    virtual void OnUChClick(int index);
    virtual void OnUCmdClick(int index);
    virtual void OnUCmdLostFocus(int index);

    void OnControlCommand(std::string_view name, int index, int notification) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace app
