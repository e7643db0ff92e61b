// Main: the program's window, one panel per tool row and the buttons along
// the bottom. The indexed groups UCh, Txt, ULPr and UCmd share their index:
// 0 backup, 1 disk cleanup, 2 defragmentation; UCmd 3 to 6 are the bottom row.
// It edits the tools' registry keys through its one Registry object and
// writes nothing until a save.
#pragma once

#include <memory>

#include "registry/Boolean.h"
#include "registry/Registry.h"
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

    // The unsaved-changes flag: every edit of a row raises it; loading the
    // window from the registry and a successful save clear it.
    Boolean SettingsChanged = False;

    // Registry to window, rows 0 to 2. Writes nothing.
    void LoadSettings();
    // Window to registry, after checking that every enabled row has a command
    // line: -1 when written, 0 when nothing was written.
    Boolean SaveSettings();
    // Puts the stock command lines into the window and enables every row.
    void SetDefault();

protected:
    void OnLoad() override;
    bool OnCloseRequest() override;

    // One handler per group, called with the member's index.
    virtual void OnTxtChange(int index);
    virtual void OnUChClick(int index);
    virtual void OnUCmdClick(int index);
    virtual void OnUCmdLostFocus(int index);

    void OnControlCommand(std::string_view name, int index, int notification) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MarkChanged();
    void KeepOuterSize();

    std::unique_ptr<Registry> registry_;
};

} // namespace app
