// About: the program's name, its authors, where they are and how to reach them.
#pragma once

#include "ui/Form.h"

namespace dialogs {

class About : public ui::Form {
public:
    About();
    static About& Instance();

protected:
    void OnControlCommand(std::string_view name, int index, int notification) override;
};

} // namespace dialogs
