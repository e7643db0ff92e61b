// Ask: the save question the main window puts when it is closed with unsaved
// changes. Its answer goes to Functions::AskAnswer and survives the window.
#pragma once

#include "ui/Form.h"

namespace dialogs {

class Ask : public ui::Form {
public:
    Ask();
    // The program's one Ask; its window exists only while it is shown.
    static Ask& Instance();

protected:
    void OnLoad() override;
    void OnControlCommand(std::string_view name, int index, int notification) override;
};

} // namespace dialogs
