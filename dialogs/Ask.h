// Ask: the save question the main window puts when it is closed with unsaved
// changes. Its answer goes to Functions::AskAnswer and survives the window.
#pragma once

#include "ui/Form.h"

namespace dialogs {

// The window's controls, as its table names them.
namespace AskControls {
inline constexpr ui::Name AskForm{"Ask"};
inline constexpr ui::Name Picture4{"Picture4"};
inline constexpr ui::Name Label1{"Label1"};
inline constexpr ui::Name Command1{"Command1"}; // "Yes"
inline constexpr ui::Name Command2{"Command2"}; // "No"
} // namespace AskControls

class Ask : public ui::Form {
public:
    Ask();
    // The program's one Ask; its window exists only while it is shown.
    static Ask& Instance();

protected:
    void OnLoad() override;
    void OnControlCommand(ui::Name name, int index, int notification) override;
};

} // namespace dialogs
