// About: the program's name, its authors, where they are and how to reach them.
#pragma once

#include "ui/Form.h"

namespace dialogs {

// The window's controls, as its table names them.
namespace AboutControls {
inline constexpr ui::Name AboutForm{"About"};
inline constexpr ui::Name Picture4{"Picture4"};
inline constexpr ui::Name Command1{"Command1"}; // "Close"
inline constexpr ui::Name Image1{"Image1"};
inline constexpr ui::Name Label2{"Label2"};
inline constexpr ui::Name Label3{"Label3"};
inline constexpr ui::Name Label4{"Label4"};
} // namespace AboutControls

class About : public ui::Form {
public:
    About();
    static About& Instance();

protected:
    void OnControlCommand(ui::Name name, int index, int notification) override;
};

} // namespace dialogs
