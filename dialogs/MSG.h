// MSG: the message window. It confirms a successful save, and carries the
// save step's missing-path messages: a caller sets Label1's caption, which
// loads the window, then shows it; unloading forgets the caption again.
#pragma once

#include "ui/Form.h"

namespace dialogs {

// Within this namespace MSG is the window; the system's message structure is
// ::MSG.
class MSG : public ui::Form {
public:
    MSG();
    static MSG& Instance();

protected:
    void OnControlCommand(std::string_view name, int index, int notification) override;
};

} // namespace dialogs
