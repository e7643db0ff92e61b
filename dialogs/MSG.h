// MSG: the message window. It confirms a successful save, and carries the
// save step's missing-path messages: a caller sets Label1's caption, which
// loads the window, then shows it; unloading forgets the caption again.
#pragma once

#include "ui/Form.h"

namespace dialogs {

// The window's controls, as its table names them.
namespace MsgControls {
inline constexpr ui::Name MsgForm{"MSG"};
inline constexpr ui::Name Picture4{"Picture4"};
inline constexpr ui::Name Label1{"Label1"};
inline constexpr ui::Name Command1{"Command1"};
} // namespace MsgControls

// Within this namespace MSG is the window; the system's message structure is
// ::MSG.
class MSG : public ui::Form {
public:
    MSG();
    static MSG& Instance();

protected:
    void OnControlCommand(ui::Name name, int index, int notification) override;
};

} // namespace dialogs
